// Number texts for a C++ library without floating-point std::to_chars (WebAssembly's): the same
// texts from the C library's printf and strtod, which round exactly too. In the C locale, the
// only one WebAssembly has.
#pragma once

#include <string>

// What std::to_chars(first, last, v) writes: the fewest digits that read back to v, the nearest
// of them to v where more than one do, as "%f" or "%e" writes them, the shorter of the two (the
// fixed on a tie); "inf", "nan", "-0" and the like as printf writes them.
std::string ShortestText(double v);
// What std::to_chars(first, last, v, std::chars_format::fixed, 6) writes: "%.6f".
std::string FixedSixText(double v);
