// A double rounded to a number of significant decimal digits and read back, as
// std::to_chars(..., scientific, digits - 1) and std::from_chars do it; by printf and strtod
// (exact too, in the C locale) for a C++ library without their floating-point forms
// (WebAssembly's).
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

// Through the C library: "%.*e" and strtod; beyond the largest double 0, where from_chars
// leaves the value it was given (a subnormal it reads, as strtod does).
inline double RoundedToDigitsByPrintf(double v, int digits)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, v);
    const double value = std::strtod(text, nullptr);
    return std::isinf(value) ? 0.0 : value;
}

inline double RoundedToDigits(double v, int digits)
{
#if defined(__EMSCRIPTEN__) && !defined(__cpp_lib_to_chars)
    return RoundedToDigitsByPrintf(v, digits);
#else
    char text[48];
    const auto written =
        std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, digits - 1);
    double value = 0.0;
    std::from_chars(text, written.ptr, value);
    return value;
#endif
}
