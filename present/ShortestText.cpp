// Shortest round-trip texts by trying ever more digits: the correctly rounded ones first, then,
// where the gap to the next double is wider above than below (at a power of two), the decimal
// one unit of the last digit away that still reads back.
#include "present/ShortestText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// m (p digits) times 10^(e - p + 1), written as "%.*e" writes it.
std::string Scientific(std::uint64_t m, int p, int e)
{
    const std::string digits = std::to_string(m);
    std::string text(1, digits[0]);
    if (p > 1)
        (text += '.') += digits.substr(1);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
    return text + exponent;
}

// The same digits as "%f" writes them, with no more digits than they hold; a whole number as
// its exact digits, which are as many and nearer to it (the value is a: m 10^(e - p + 1) read).
std::string Fixed(std::uint64_t m, int p, int e, double a)
{
    const std::string digits = std::to_string(m);
    if (e >= p - 1) {
        char whole[400];
        std::snprintf(whole, sizeof whole, "%.0f", a);
        return whole;
    }
    if (e >= 0)
        return digits.substr(0, static_cast<std::size_t>(e + 1)) + '.' +
               digits.substr(static_cast<std::size_t>(e + 1));
    return "0." + std::string(static_cast<std::size_t>(-e - 1), '0') + digits;
}

bool ReadsBack(std::uint64_t m, int p, int e, double a)
{
    return std::strtod(Scientific(m, p, e).c_str(), nullptr) == a;
}

}  // namespace

std::string ShortestText(double v)
{
    const std::string sign = std::signbit(v) ? "-" : "";
    if (std::isnan(v))
        return sign + "nan";
    if (std::isinf(v))
        return sign + "inf";
    if (v == 0.0)
        return sign + "0";
    const double a = std::fabs(v);
    for (int p = 1; p <= 17; ++p) {
        // The correctly rounded p digits, and their exponent.
        char text[64];
        std::snprintf(text, sizeof text, "%.*e", p - 1, a);
        std::uint64_t m = 0;
        const char* c = text;
        for (; *c != 'e'; ++c)
            if (*c >= '0' && *c <= '9')
                m = m * 10 + static_cast<std::uint64_t>(*c - '0');
        int e = std::atoi(c + 1);
        std::uint64_t least = 1;
        for (int k = 1; k < p; ++k)
            least *= 10;
        bool found = ReadsBack(m, p, e, a);
        if (!found) {
            // One unit of the last digit away, on the wider side of the value.
            for (const std::int64_t step : {-1, 1}) {
                std::uint64_t n = m + static_cast<std::uint64_t>(step);
                int f = e;
                if (n == least * 10) {
                    n = least;
                    ++f;
                }
                if (n < least || found)
                    continue;
                if (ReadsBack(n, p, f, a)) {
                    m = n;
                    e = f;
                    found = true;
                }
            }
        }
        if (found) {
            const std::string fixed = Fixed(m, p, e, a), scientific = Scientific(m, p, e);
            return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
        }
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.16e", v);
    return text;
}

std::string FixedSixText(double v)
{
    const int size = std::snprintf(nullptr, 0, "%.6f", v);
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.6f", v);
    text.resize(static_cast<std::size_t>(size));
    return text;
}
