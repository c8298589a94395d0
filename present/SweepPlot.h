// The figure of a sweep: the largest |W| against alpha on a logarithmic axis, with the
// resonant alphas of the interval drawn as thin vertical lines: plain where the load excites
// the resonance, faint and dashed where it does not.
#pragma once

#include <span>
#include <string>

#include <QPainter>
#include <QSize>

#include "present/FigureApi.h"
#include "present/FigureLayout.h"
#include "solver/Resonance.h"

// Paints the figure on a white page of SweepPlotSize(), raster or vector. Needs a
// QGuiApplication, for the text. Points that are not finite leave a gap in the curve.
QSize SweepPlotSize();
void PaintSweepPlot(QPainter& p, std::span<const CurvePoint> points,
                    std::span<const ResonanceLine> lines, const std::string& title);
