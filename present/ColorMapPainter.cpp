// Solid fills of the colour map cells.
#include "present/ColorMapPainter.h"

#include <QColor>
#include <QPainter>
#include <QRect>

#include "present/ColorMap.h"

void PaintColorMap(QPainter& painter, const NodalField& field, int left, int y0)
{
    ForEachMapCell(field, left, y0, [&painter](const MapCell& c) {
        painter.fillRect(QRect(c.left, c.top, c.right - c.left, c.bottom - c.top),
                         QColor(c.intensity, c.intensity, 255));
    });
}

QSize ColorMapSize(const NodalField& field)
{
    return {MapBlockWidth(field), MapBlockHeight(field)};
}
