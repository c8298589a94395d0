// A field as pixels, without a window system: sampled bilinear in every element at the centres
// of a grid of pixels over the domain, and shaded. The figures of membrane-solve and the web page
// both draw their fields from here, so that their pixels agree.
#pragma once

#include <cstdint>
#include <vector>

#include "present/ColorMap.h"
#include "present/NodalField.h"

// w[n] of the nodes n = 1.. of a divX x divY mesh over lenX x lenY.
struct FieldGrid {
    const double* w;
    int divX;
    int divY;
    double lenX;
    double lenY;
};

inline FieldGrid GridOf(const NodalField& m)
{
    return {m.m_W, m.m_nDivX, m.m_nDivY, m.m_dLenX, m.m_dLenY};
}

// W at (x, y): the bilinear interpolation of the four nodes of the element holding the point.
double FieldAt(const FieldGrid& m, double x, double y);

// The scales of the figures. The solution's: the colour map's own where every value is finite,
// else that of the finite ones (lo > hi, both NaN, where none is). A shape's: the largest finite
// magnitude, for a scale symmetric about zero.
MapScale SolutionScale(const NodalField& field);
double ShapeLimit(const double* w, int nodes);

// 0xAARRGGBB of the solution's shade: blue (lo) to white (hi) as the colour map shades it, grey
// where a value is not finite.
std::uint32_t SolutionColour(double w, const MapScale& scale);
// The diverging shade of a shape: -limit blue, 0 white, +limit red, grey where not finite.
std::uint32_t ShapeColour(double w, double limit);

// width x height pixels, the top row first, each the colour of the field at its centre (times
// `factor`, for a shape that vibrates), as colour(value) gives it.
template <class Colour>
std::vector<std::uint32_t> FieldPixels(const FieldGrid& m, int width, int height, double factor,
                                       const Colour& colour)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (int py = 0; py < height; ++py) {
        const double y = (height - py - 0.5) / height * m.lenY;
        for (int px = 0; px < width; ++px) {
            const double x = (px + 0.5) / width * m.lenX;
            const double w = FieldAt(m, x, y);
            pixels[static_cast<std::size_t>(py) * width + px] = colour(factor == 1.0 ? w : w * factor);
        }
    }
    return pixels;
}
