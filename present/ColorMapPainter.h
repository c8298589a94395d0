// Painting of the colour map cells with QPainter, for the dialog and for image export.
#pragma once

#include <QImage>

#include "present/NodalField.h"

class QPainter;

// Left edge of the map and its baseline distance from the lower edge of the client area.
inline constexpr int kMapLeft = 10;
inline constexpr int kMapBaselineGap = 30;

// Fills one cell per node; the block's lower left corner lies at (left, y0).
void PaintColorMap(QPainter& painter, const NodalField& record, int left, int y0);

// The block of cells alone, node 1 at the bottom left, as an image of its own size.
QImage ColorMapImage(const NodalField& record);
