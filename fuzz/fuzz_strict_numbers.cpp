// The strict readers of the tool's numbers: a text is taken exactly when, blanks and tabs around
// it aside, it is one decimal number (an optional sign, "+" only once), and then the value is
// strtoll's or strtod's; a finite value written as the shortest text reads back the same.
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "FuzzSupport.h"
#include "batch/ToolSupport.h"
#include "command/InputConversion.h"
#include "command/RunArguments.h"

namespace {

// Digits from `at` on; returns how many.
std::size_t SkipDigits(std::string_view text, std::size_t& at)
{
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    return at - start;
}

std::size_t SkipSign(std::string_view text, std::size_t at)
{
    return at < text.size() && (text[at] == '+' || text[at] == '-') ? at + 1 : at;
}

// The text without the blanks and tabs around it.
std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// [+-]?[0-9]+
bool IsWhole(std::string_view text)
{
    std::size_t at = SkipSign(text, 0);
    return SkipDigits(text, at) > 0 && at == text.size();
}

// [+-]?([0-9]+.?[0-9]*|.[0-9]+)([eE][+-]?[0-9]+)?
bool IsDecimal(std::string_view text)
{
    std::size_t at = SkipSign(text, 0);
    std::size_t digits = SkipDigits(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += SkipDigits(text, at);
    }
    if (digits == 0)
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        at = SkipSign(text, at + 1);
        if (SkipDigits(text, at) == 0)
            return false;
    }
    return at == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(AsText(data, size));

    const std::optional<long long> whole = ReadWholeNumber(text);
    errno = 0;
    const long long wholeReference = std::strtoll(text.c_str(), nullptr, 10);
    const bool wholeExpected = IsWhole(Trimmed(text)) && errno != ERANGE;
    FUZZ_CHECK(whole.has_value() == wholeExpected, text);
    FUZZ_CHECK(!whole || *whole == wholeReference, text);

    const std::optional<double> finite = ReadFiniteNumber(text);
    const double finiteReference = std::strtod(text.c_str(), nullptr);
    const bool finiteExpected = IsDecimal(Trimmed(text)) && std::isfinite(finiteReference);
    // from_chars refuses a value that underflows to zero or a subnormal; strtod rounds it.
    const bool tiny = finiteExpected && std::fabs(finiteReference) < 2.2250738585072014e-308;
    FUZZ_CHECK(finite.has_value() == finiteExpected || tiny, text);
    if (finite) {
        FUZZ_CHECK(SameBits(*finite, finiteReference), text);
        const std::optional<double> again = ReadFiniteNumber(Shortest(*finite));
        FUZZ_CHECK(again && SameBits(*again, *finite), text);
    }
    return 0;
}
