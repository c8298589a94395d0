// The solution as a figure for a report: the finite-element field on the domain in its
// proportions, axes in domain units with ticks, a colour bar from blue to white with the lowest
// and highest values written at its ends, and a title. Its colours are the colour map's.
#pragma once

#include <string>

#include <QImage>

#include "solver/MembraneModel.h"

inline constexpr int kFigureWidth = 960;
inline constexpr int kFigureHeight = 380;

// Needs a QGuiApplication, for the text. Requires a solved record with counts of at least 1.
QImage MapFigure(const MembraneModel& model, const std::string& title);
