// The figure of a sweep: the largest |W| against alpha on a logarithmic axis, with the
// resonant alphas of the interval drawn as thin vertical lines.
#pragma once

#include <string>
#include <vector>

#include <QImage>

#include "command/Sweep.h"
#include "solver/Resonance.h"

inline constexpr int kSweepPlotWidth = 960;
inline constexpr int kSweepPlotHeight = 600;

// The width in alpha of one pixel of the plot of a sweep from a0 to a1.
double SweepPlotResolution(double a0, double a1);

// Needs a QGuiApplication, for the text. Points that are not finite leave a gap in the curve.
QImage SweepPlot(const std::vector<SweepPoint>& points,
                 const std::vector<ResonanceInInterval>& resonances, const std::string& title);
