// Sizes of the figures in pixels and where their plot areas lie, shared by the drawing and by
// the code that prepares a figure's data at the figure's own resolution. No Qt.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

inline constexpr int kSweepPlotWidth = 960;
inline constexpr int kSweepPlotHeight = 640;
// The sweep plot's area, corners included: room for the title above, tick labels left and below,
// and the legend under them.
inline constexpr int kSweepAreaLeft = 96;
inline constexpr int kSweepAreaTop = 64;
inline constexpr int kSweepAreaRight = kSweepPlotWidth - 32;
inline constexpr int kSweepAreaBottom = kSweepPlotHeight - 116;

// The width in alpha of one pixel of the plot of a sweep from a0 to a1.
inline double SweepPlotResolution(double a0, double a1)
{
    return (a1 - a0) / (kSweepAreaRight - kSweepAreaLeft + 1);
}

// A rectangle of pixels: its left and top, width and height.
struct PixelRect {
    int left, top, width, height;
    constexpr int Right() const { return left + width - 1; }
    constexpr int Bottom() const { return top + height - 1; }
};

// The figure of one field (a solution or a shape): the domain, 15 x 5 in its proportions, and
// the colour bar beside it, on a page of kFieldFigureWidth x kFieldFigureHeight; every drawing
// of it, the tool's and the page's, lays it out so.
inline constexpr int kFieldFigureWidth = 960;
inline constexpr int kFieldFigureHeight = 380;
inline constexpr PixelRect kFieldDomain = {72, 64, 720, 240};
inline constexpr PixelRect kFieldBar = {kFieldDomain.Right() + 44, kFieldDomain.top, 22,
                                        kFieldDomain.height};

// The row of the bar's pixels for the value v of a bar from lo (bottom) to hi (top).
inline int BarRow(double v, double lo, double hi)
{
    return kFieldBar.top +
           static_cast<int>(std::lround((hi - v) / (hi - lo) * (kFieldBar.height - 1)));
}

// A number of a figure's labels: the shortest of `digits` significant digits, as printf's %g
// writes it in the C locale, whatever the process's. WebAssembly's C++ library has no such
// to_chars, and its printf knows no locale but C.
inline std::string FigureNumber(double v, int digits)
{
    char text[32];
#if defined(__EMSCRIPTEN__) && !defined(__cpp_lib_to_chars)
    const int length = std::snprintf(text, sizeof text, "%.*g", digits, v);
    return std::string(text, static_cast<std::size_t>(length));
#else
    const auto done =
        std::to_chars(text, text + sizeof text, v, std::chars_format::general, digits);
    return std::string(text, done.ptr);
#endif
}

// How many of w[1..nodes] are not finite.
inline int NotFiniteCount(const double* w, int nodes)
{
    int count = 0;
    for (int n = 1; n <= nodes; ++n)
        count += !std::isfinite(w[n]);
    return count;
}

// The line under a field figure whose values are not all finite: how many are not, drawn grey;
// empty where all are finite.
inline std::string NotFiniteNote(int notFinite, int nodes)
{
    if (notFinite == 0)
        return {};
    if (notFinite == nodes)
        return "No value is finite: the field is drawn grey.";
    return std::to_string(notFinite) + " of " + std::to_string(nodes) +
           " values are not finite, drawn grey; the scale is that of the finite ones.";
}

// Rounded values for the ticks of a colour bar from lo to hi: a step of 1, 2 or 5 times a power
// of ten giving about five, so that zero is among them wherever the range holds it; none for
// an empty or unbounded range.
inline std::vector<double> ColourBarTicks(double lo, double hi)
{
    std::vector<double> ticks;
    if (!(hi > lo) || !std::isfinite(hi - lo))
        return ticks;
    const double raw = (hi - lo) / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * magnitude;
    for (double f : {1.0, 2.0, 5.0})
        if (f * magnitude >= raw) {
            step = f * magnitude;
            break;
        }
    for (double k = std::ceil(lo / step); k * step <= hi; k += 1.0)
        ticks.push_back(k == 0.0 ? 0.0 : k * step);
    return ticks;
}
