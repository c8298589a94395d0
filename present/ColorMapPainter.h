// Painting of the colour map cells with QPainter, for the dialog and for image export.
#pragma once

#include <QSize>

#include "present/NodalField.h"

class QPainter;

// Left edge of the map and its baseline distance from the lower edge of the client area.
inline constexpr int kMapLeft = 10;
inline constexpr int kMapBaselineGap = 30;

// Fills one cell per node; the block's lower left corner lies at (left, y0).
void PaintColorMap(QPainter& painter, const NodalField& field, int left, int y0);

// The size of the block of cells alone, which PaintColorMap(painter, field, 0, height) fills,
// node 1 at the bottom left.
QSize ColorMapSize(const NodalField& field);
