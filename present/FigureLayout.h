// Sizes of the figures in pixels and where their plot areas lie, shared by the drawing and by
// the code that prepares a figure's data at the figure's own resolution. No Qt.
#pragma once

inline constexpr int kSweepPlotWidth = 960;
inline constexpr int kSweepPlotHeight = 600;
// The sweep plot's area, corners included: room for the title above, tick labels left and below.
inline constexpr int kSweepAreaLeft = 96;
inline constexpr int kSweepAreaTop = 64;
inline constexpr int kSweepAreaRight = kSweepPlotWidth - 32;
inline constexpr int kSweepAreaBottom = kSweepPlotHeight - 76;

// The width in alpha of one pixel of the plot of a sweep from a0 to a1.
inline double SweepPlotResolution(double a0, double a1)
{
    return (a1 - a0) / (kSweepAreaRight - kSweepAreaLeft + 1);
}
