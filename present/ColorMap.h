// The colour map of a solution as plain data: one filled cell per node, shaded from blue
// (smallest value) to white (largest). Pure functions of the record, no window needed.
#pragma once

#include <algorithm>
#include <cmath>

#include "present/NodalField.h"

// A cell covers x from left up to, not including, right and y from top up to, not including,
// bottom; its colour is red = green = intensity, blue 255.
struct MapCell {
    int left;
    int top;
    int right;
    int bottom;
    int intensity;
};

struct MapScale {
    double hi;
    double lo;
};

// Scale ends start at -100 and +100. A NaN fails the second test and so replaces lo.
inline MapScale FindMapScale(const NodalField& field)
{
    MapScale s{-100.0, 100.0};
    for (int n = 1; n <= field.m_nNode; ++n) {
        const double w = field.m_W[n];
        if (w > s.hi)
            s.hi = w;
        if (!(w >= s.lo))
            s.lo = w;
    }
    return s;
}

// Cell size in pixels, 300 / m_nDivX by 100 / m_nDivY (truncated); counts must be at least 1.
inline int MapCellWidth(const NodalField& field)
{
    return 300 / field.m_nDivX;
}

inline int MapCellHeight(const NodalField& field)
{
    return 100 / field.m_nDivY;
}

// Size in pixels of the whole block, (m_nDivX + 1) cells wide and (m_nDivY + 1) high; 0 when
// a count is below 1.
inline int MapBlockWidth(const NodalField& field)
{
    return field.m_nDivX < 1 ? 0 : (field.m_nDivX + 1) * MapCellWidth(field);
}

inline int MapBlockHeight(const NodalField& field)
{
    return field.m_nDivY < 1 ? 0 : (field.m_nDivY + 1) * MapCellHeight(field);
}

// 0..255 from t = ((w - lo) / range) * 255: truncated, clamped, NaN gives 0.
inline int MapIntensity(double w, double lo, double range)
{
    const double t = ((w - lo) / range) * 255.0;
    if (std::isnan(t) || t < 0.0)
        return 0;
    if (t > 255.0)
        return 255;
    return static_cast<int>(t);
}

// Calls fill(MapCell) for every node in node order: node columns left to right from x = left,
// node rows bottom to top from the baseline y0 upward. Draws nothing unless both counts are at
// least 1.
template <class Fill>
void ForEachMapCell(const NodalField& field, int left, int y0, Fill&& fill)
{
    if (field.m_nDivX < 1 || field.m_nDivY < 1)
        return;
    const int w = MapCellWidth(field);
    const int h = MapCellHeight(field);
    const MapScale scale = FindMapScale(field);
    const double range = scale.hi - scale.lo;
    int k = 0;
    for (int p = 1; p <= field.m_nDivX + 1; ++p) {
        const int xL = left + (p - 1) * w;
        const int xR = left + p * w;
        for (int r = 1; r <= field.m_nDivY + 1; ++r) {
            ++k;
            fill(MapCell{xL, y0 - r * h, xR, y0 - (r - 1) * h,
                         MapIntensity(field.m_W[k], scale.lo, range)});
        }
    }
}

// A diverging colour scale centred on zero, for shapes whose sign matters: -limit blue, 0
// white, +limit red, linear between; values beyond the limit take its colour, NaN grey.
struct Rgb {
    int r;
    int g;
    int b;
};

inline Rgb DivergingRgb(double v, double limit)
{
    constexpr Rgb kNegative{33, 102, 172}, kZero{255, 255, 255}, kPositive{178, 24, 43};
    if (std::isnan(v) || !(limit > 0.0))
        return {160, 160, 160};
    const double t = std::clamp(v / limit, -1.0, 1.0);
    const Rgb& end = t < 0.0 ? kNegative : kPositive;
    const double f = std::fabs(t);
    auto mix = [f](int from, int to) {
        return static_cast<int>(std::lround(from + (to - from) * f));
    };
    return {mix(kZero.r, end.r), mix(kZero.g, end.g), mix(kZero.b, end.b)};
}
