// The field's samples and shades.
#include "present/FieldRaster.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint32_t kNotFinite = 0xffa0a0a0;

std::uint32_t Rgb32(int r, int g, int b)
{
    return 0xff000000u | static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b);
}

}  // namespace

double FieldAt(const FieldGrid& m, double x, double y)
{
    const double dx = m.lenX / m.divX, dy = m.lenY / m.divY;
    const int i = std::clamp(static_cast<int>(x / dx), 0, m.divX - 1);
    const int j = std::clamp(static_cast<int>(y / dy), 0, m.divY - 1);
    const double s = x / dx - i, t = y / dy - j;
    const int rows = m.divY + 1;
    const int n = i * rows + j + 1;  // lower left; then right, upper right, upper left
    return (1 - s) * (1 - t) * m.w[n] + s * (1 - t) * m.w[n + rows] + s * t * m.w[n + rows + 1] +
           (1 - s) * t * m.w[n + 1];
}

MapScale SolutionScale(const NodalField& field)
{
    bool allFinite = true;
    for (int n = 1; n <= field.m_nNode; ++n)
        allFinite = allFinite && std::isfinite(field.m_W[n]);
    if (allFinite)
        return FindMapScale(field);
    MapScale scale{-HUGE_VAL, HUGE_VAL};
    for (int n = 1; n <= field.m_nNode; ++n)
        if (std::isfinite(field.m_W[n])) {
            scale.hi = std::max(scale.hi, field.m_W[n]);
            scale.lo = std::min(scale.lo, field.m_W[n]);
        }
    if (scale.hi < scale.lo)
        scale = {NAN, NAN};
    return scale;
}

double ShapeLimit(const double* w, int nodes)
{
    double largest = 0.0;
    for (int n = 1; n <= nodes; ++n)
        if (std::isfinite(w[n]))
            largest = std::max(largest, std::fabs(w[n]));
    return largest;
}

std::uint32_t SolutionColour(double w, const MapScale& scale)
{
    if (!std::isfinite(w) || !std::isfinite(scale.lo))
        return kNotFinite;
    const int d = MapIntensity(w, scale.lo, scale.hi - scale.lo);
    return Rgb32(d, d, 255);
}

std::uint32_t ShapeColour(double w, double limit)
{
    if (!std::isfinite(w))
        return kNotFinite;
    const Rgb c = DivergingRgb(w, limit);
    return Rgb32(c.r, c.g, c.b);
}
