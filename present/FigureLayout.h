// Sizes of the figures in pixels and where their plot areas lie, shared by the drawing and by
// the code that prepares a figure's data at the figure's own resolution. No Qt.
#pragma once

#include <cmath>
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
