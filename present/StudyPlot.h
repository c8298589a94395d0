// The figure of a convergence study: each series of errors against the mesh size h on
// logarithmic axes, the finest mesh right, with dashed guides of the orders each series asks for
// through its finest point, so that the orders can be read off the slopes.
#pragma once

#include <span>
#include <string>

#include <QPainter>
#include <QSize>

#include "present/FigureApi.h"

// Paints the figure on a white page of StudyPlotSize(), raster or vector. Needs a
// QGuiApplication, for the text. Errors that are not positive are left out.
QSize StudyPlotSize();
void PaintStudyPlot(QPainter& p, std::span<const StudySeries> series, const std::string& title);
