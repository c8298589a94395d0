// The lenient conversion of the three input texts against the C library in the C locale: a
// count as strtol reads it, saturated to 32 bits; alpha as strtod reads the longest decimal
// prefix, with the exponent letter d or D taken as e.
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "FuzzSupport.h"
#include "command/InputConversion.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::int32_t ReferenceCount(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(value);
}

// The longest prefix of blanks, sign, digits with one ".", and an exponent with at least one
// digit, with d and D made e: the text strtod is given.
std::string DecimalPrefix(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    std::string prefix(text.substr(0, i));
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        prefix += text[i++];
    std::size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
        prefix += text[i];
    if (i < text.size() && text[i] == '.') {
        prefix += text[i++];
        for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
            prefix += text[i];
    }
    if (digits == 0)
        return "0";
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += text[j++];
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j)
                exponent += text[j];
            prefix += exponent;
        }
    }
    return prefix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = AsText(data, size);
    const std::string terminated(text.substr(0, text.find('\0')));

    FUZZ_CHECK(ConvertCount(text) == ReferenceCount(terminated), text);

    const double alpha = ConvertAlpha(text);
    const std::string prefix = DecimalPrefix(text);
    const double reference = std::strtod(prefix.c_str(), nullptr);
    FUZZ_CHECK(SameBits(alpha, reference) || (prefix == "0" && alpha == 0.0), text);
    return 0;
}
