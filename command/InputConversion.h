// Lenient conversion of the three input texts, independent of the process locale:
// division counts as the C library's atoi reads them, alpha as its atof does (with the
// "d"/"D" exponent letter), but never "nan", "inf" or hexadecimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Skips leading white space (blank, \t, \n, \v, \f, \r), takes one optional sign and the
// decimal digits 0-9 up to the first other character. No digits give 0; a value beyond the
// 32-bit range saturates to INT32_MIN or INT32_MAX.
std::int32_t ConvertCount(std::string_view text);

// Skips leading white space, then reads an optional sign, digits with at most one ".", and an
// optional exponent: e, E, d or D, an optional sign and at least one digit. Conversion stops
// at the first character that does not fit; no digits give 0.0. The result is the correctly
// rounded double: overflow gives +-infinity, underflow +-0 or a subnormal.
double ConvertAlpha(std::string_view text);

// The strict reading of a number outside the dialog: blanks and tabs around it allowed, an
// optional sign, digits with at most one "." and an optional exponent (e or E), nothing else;
// converted as ConvertAlpha converts it. Nothing where the text is no such number or its value
// lies beyond the doubles (too large, or too small to be told from 0).
bool ReadStrictDecimal(std::string_view text, double& value);

// ReadStrictDecimal as an answer: the number, or nothing. Every front end reads a decimal number
// from a text with it: the tool's --alpha and intervals, the page's fields.
std::optional<double> ReadFiniteNumber(std::string_view text);
// A text ReadFiniteNumber refused, as a message shows it: QuotedText, and where a decimal comma
// stands for the point, a hint: "'2,5' (the decimal mark is a point: 2.5)".
std::string QuotedNumber(std::string_view text);
// Why such a text was refused, after the name of what reads it: "takes a finite decimal number,
// not '2,5' (the decimal mark is a point: 2.5)".
std::string DecimalRefusal(std::string_view text);

// The text without the blanks and tabs around it, and without an optional "+" that
// std::from_chars does not take; a sign after it makes the text unreadable.
std::string_view BareNumber(std::string_view text);

// The text as a decimal integer, blanks around it allowed, an optional sign first; nothing for
// anything else.
std::optional<long long> ReadWholeNumber(std::string_view text);

// A text as a refusal shows it: in single quotes, control characters as \n, \t or \xNN, so that
// a message stays on one line. Every front end quotes the value it refuses with it. A text of
// more than kMostQuotedBytes shows its first kShownOfLongText bytes or fewer, up to a whole
// character, then "...' (N bytes in all)".
inline constexpr std::size_t kMostQuotedBytes = 200;
inline constexpr std::size_t kShownOfLongText = 160;
std::string QuotedText(std::string_view text);

// The fields of "A0:A1" or "A0:A1:N", as they stand between the colons.
std::vector<std::string_view> ColonFields(std::string_view text);
