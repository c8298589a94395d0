// Shortest round-trip texts: the fewest correctly rounded digits that read back, found by
// bisection, then, where the gap to the next double is wider on one side (at a power of two),
// one digit fewer one unit of its last digit away.
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

// The correctly rounded p digits of a, as m (p digits) and the exponent e of the first.
void RoundedDigits(double a, int p, std::uint64_t& m, int& e)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", p - 1, a);
    m = 0;
    const char* c = text;
    for (; *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9')
            m = m * 10 + static_cast<std::uint64_t>(*c - '0');
    e = std::atoi(c + 1);
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
    // The fewest correctly rounded digits that read back, by bisection: where p digits do, so
    // do p + 1, which lie nearer still. 17 always do.
    int lo = 1, hi = 17;
    std::uint64_t m = 0;
    int e = 0;
    while (lo < hi) {
        const int p = (lo + hi) / 2;
        RoundedDigits(a, p, m, e);
        if (ReadsBack(m, p, e, a))
            hi = p;
        else
            lo = p + 1;
    }
    int p = lo;
    RoundedDigits(a, p, m, e);
    // One digit fewer may still do one unit of its last digit away from the rounded value, on
    // the side where the gap to the next double is wider (at a power of two).
    if (p > 1) {
        std::uint64_t fewer = 0;
        int f = 0;
        RoundedDigits(a, p - 1, fewer, f);
        std::uint64_t least = 1;
        for (int k = 1; k < p - 1; ++k)
            least *= 10;
        for (const std::int64_t step : {-1, 1}) {
            std::uint64_t n = fewer + static_cast<std::uint64_t>(step);
            int g = f;
            if (n == least * 10) {
                n = least;
                ++g;
            }
            if (n >= least && ReadsBack(n, p - 1, g, a)) {
                m = n;
                e = g;
                --p;
                break;
            }
        }
    }
    const std::string fixed = Fixed(m, p, e, a), scientific = Scientific(m, p, e);
    return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

std::string FixedSixText(double v)
{
    const int size = std::snprintf(nullptr, 0, "%.6f", v);
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.6f", v);
    text.resize(static_cast<std::size_t>(size));
    return text;
}
