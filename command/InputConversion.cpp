// Locale-free text to number conversion of the input fields.
#include "command/InputConversion.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Position of the first character that is not white space.
std::size_t SkipBlanks(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i;
}

// Exponents are clamped far beyond the double range so that no digit string can overflow
// the arithmetic; the clamped value still converts to infinity or zero.
constexpr long long kExponentClamp = 1'000'000'000;

}  // namespace

std::int32_t ConvertCount(std::string_view text)
{
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude up to just past the 32-bit range, then saturate.
    constexpr long long kLimit = 1LL << 31;
    long long magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);  // -2^31 at least
}

std::vector<std::string_view> ColonFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string_view::npos)
            return fields;
        start = colon + 1;
    }
}

std::string_view BareNumber(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.starts_with('+') && !text.substr(1).starts_with('-'))
        text.remove_prefix(1);
    return text;
}

std::optional<long long> ReadWholeNumber(std::string_view text)
{
    text = BareNumber(text);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool ReadStrictDecimal(std::string_view text, double& value)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    const std::string_view number = text.substr(begin, end - begin);
    std::size_t i = 0, digits = 0;
    bool nonZero = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-'))
        ++i;
    for (; i < number.size() && IsDigit(number[i]); ++i, ++digits)
        nonZero = nonZero || number[i] != '0';
    if (i < number.size() && number[i] == '.')
        for (++i; i < number.size() && IsDigit(number[i]); ++i, ++digits)
            nonZero = nonZero || number[i] != '0';
    if (digits == 0)
        return false;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        for (; i < number.size() && IsDigit(number[i]); ++i)
            ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    if (i != number.size())
        return false;
    value = ConvertAlpha(number);
    // Beyond the doubles either way, as from_chars has it: too large, or too small for any.
    return std::isfinite(value) && (value != 0.0 || !nonZero);
}

namespace {

// Decimal digits with an optional fraction from text[i] on: the significant digits, without
// leading zeros, into `digits`, and the power of ten of the last into `scale` (the value is
// digits * 10^scale). Whether there was any digit; i is left after them.
bool ReadMantissa(std::string_view text, std::size_t& i, std::string& digits, long long& scale)
{
    bool anyDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        anyDigit = true;
        if (!digits.empty() || text[i] != '0')
            digits += text[i];
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            anyDigit = true;
            if (scale > -kExponentClamp)
                --scale;
            if (!digits.empty() || text[i] != '0')
                digits += text[i];
        }
    }
    return anyDigit;
}

// The exponent at text[i]: e, E, d or D, an optional sign and digits, clamped to
// kExponentClamp; 0 where no such letter is followed by (a sign and) a digit.
long long ReadExponent(std::string_view text, std::size_t i)
{
    if (!(i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')))
        return 0;
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
        expNegative = text[j] == '-';
        ++j;
    }
    long long exponent = 0;
    for (; j < text.size() && IsDigit(text[j]); ++j) {
        exponent = exponent * 10 + (text[j] - '0');
        if (exponent > kExponentClamp)
            exponent = kExponentClamp;
    }
    return expNegative ? -exponent : exponent;
}

// The correctly rounded double of digits * 10^scale, with its sign.
double ScaledDigits(std::string digits, long long scale, bool negative)
{
    const double zero = negative ? -0.0 : 0.0;
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    if (digits.empty())
        return zero;

    // Power of ten of the leading digit; far outside the double range the answer is known.
    const long long leading = scale + static_cast<long long>(digits.size()) - 1;
    const double infinity = negative ? -std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::infinity();
    if (leading > 400)
        return infinity;
    if (leading < -400)
        return zero;

    // The canonical text holds only digits, "e" and a decimal exponent, so the standard
    // parser sees nothing locale- or format-dependent.
    digits += 'e';
    digits += std::to_string(scale);
    double value = 0.0;
#if defined(__EMSCRIPTEN__) && !defined(__cpp_lib_to_chars)
    // WebAssembly's C++ library reads no floating point with from_chars; its C library's strtod
    // rounds correctly too, and knows no locale but C. Out of range as from_chars has it.
    errno = 0;
    value = std::strtod(digits.c_str(), nullptr);
    if (errno == ERANGE && (std::isinf(value) || value == 0.0))
        return leading > 0 ? infinity : zero;
#else
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                           std::chars_format::scientific);
    if (ec == std::errc::result_out_of_range)
        return leading > 0 ? infinity : zero;
#endif
    return negative ? -value : value;
}

}  // namespace

double ConvertAlpha(std::string_view text)
{
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string digits;
    long long scale = 0;
    if (!ReadMantissa(text, i, digits, scale))
        return 0.0;
    scale += ReadExponent(text, i);
    return ScaledDigits(std::move(digits), scale, negative);
}

std::string QuotedText(std::string_view text)
{
    // A long value is cut where a character starts, so that the line stays readable and its
    // UTF-8 whole, and its length is said instead.
    std::string_view shown = text;
    if (text.size() > kMostQuotedBytes) {
        std::size_t cut = kShownOfLongText;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80)
            --cut;
        shown = text.substr(0, cut);
    }
    std::string quoted = "'";
    for (const char c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7f) {
            const char hex[] = "0123456789abcdef";
            ((quoted += "\\x") += hex[byte >> 4]) += hex[byte & 15];
        } else {
            quoted += c;
        }
    }
    if (shown.size() < text.size())
        return quoted + "...' (" + std::to_string(text.size()) + " bytes in all)";
    return quoted + "'";
}

std::optional<double> ReadFiniteNumber(std::string_view text)
{
    double value = 0.0;
    if (!ReadStrictDecimal(text, value))
        return std::nullopt;
    return value;
}

std::string QuotedNumber(std::string_view text)
{
    std::string said = QuotedText(text);
    // A decimal comma where a point would make a number.
    std::string pointed(text);
    if (const std::size_t comma = pointed.find(','); comma != std::string::npos &&
                                                     pointed.find(',', comma + 1) == std::string::npos) {
        pointed[comma] = '.';
        if (ReadFiniteNumber(pointed))
            said += " (the decimal mark is a point: " + std::string(BareNumber(pointed)) + ")";
    }
    return said;
}

std::string DecimalRefusal(std::string_view text)
{
    return "takes a finite decimal number, not " + QuotedNumber(text);
}
