// Dialog units to pixels, from the dialog font as the template's layout expects: a horizontal
// unit is a quarter of the average letter width, a vertical unit an eighth of the font height.
#pragma once

#include <QRect>

class QFont;

struct DialogBaseUnits {
    int cx;  // average advance of A-Z a-z, rounded
    int cy;  // font height
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// Each coordinate rounded to the nearest pixel.
QRect DialogUnitsToPixels(int x, int y, int cx, int cy, DialogBaseUnits units);
