// Conversion of template rectangles to pixels.
#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QString>

namespace {

// v * num / den rounded half away from zero, for v >= 0.
int ScaleRounded(int v, int num, int den)
{
    return (2 * v * num + den) / (2 * den);
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {ScaleRounded(letters, 1, 52), metrics.height()};
}

QRect DialogUnitsToPixels(int x, int y, int cx, int cy, DialogBaseUnits units)
{
    return QRect(ScaleRounded(x, units.cx, 4), ScaleRounded(y, units.cy, 8),
                 ScaleRounded(cx, units.cx, 4), ScaleRounded(cy, units.cy, 8));
}
