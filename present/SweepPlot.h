// The figure of a sweep: the largest |W| against alpha on a logarithmic axis, with the
// resonant alphas of the interval drawn as thin vertical lines.
#pragma once

#include <span>
#include <string>

#include <QImage>

#include "present/FigureApi.h"
#include "present/FigureLayout.h"
#include "solver/Resonance.h"

// Needs a QGuiApplication, for the text. Points that are not finite leave a gap in the curve.
QImage SweepPlot(std::span<const CurvePoint> points,
                 std::span<const ResonanceInInterval> resonances, const std::string& title);
