// The pixels of the page's figures, as membrane-solve's figures draw their fields: the
// solution's field, a shape, a gallery's shapes on one scale.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "present/ColorMap.h"
#include "present/FieldRaster.h"
#include "present/ReportText.h"
#include "solver/ModeShape.h"
#include "web/Page.h"

using namespace web;

namespace {

// The most pixels an image may have: every pixel's index then fits in WebAssembly's 32-bit
// size_t, and the 2 GB of them would not fit in its memory anyway.
constexpr std::int64_t kMostPixels = std::int64_t{1} << 29;

bool PixelsFit(int width, int height)
{
    return width >= 1 && height >= 1 && std::int64_t{width} * height <= kMostPixels;
}

// No image, where its pixels do not fit in the page's memory: null, and the reason.
const std::uint32_t* NoPixels()
{
    std::vector<std::uint32_t>().swap(ThePage().pixels);
    MemoryRefused(ThePage().figureText);
    return nullptr;
}

}  // namespace

extern "C" {

// The figure of the solution shown as --figure draws its field: width x height pixels over the
// domain, the top row first, 0xAABBGGRR as a canvas's image data takes them; nothing where
// nothing is solved. membrane_figure_text then holds {lowest, highest} of its colour bar.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* membrane_field_pixels(int width, int height)
try {
    Page& page = ThePage();
    std::vector<std::uint32_t>().swap(page.pixels);  // released, not kept for the next image
    page.figureText.clear();
    NodalField field;
    bool option = false;
    if (!ShownField(page, field, option) || !PixelsFit(width, height))
        return nullptr;
    const MapScale scale = SolutionScale(field);
    page.pixels = FieldPixels(GridOf(field), width, height, 1.0,
                              [&](double w) { return SolutionColour(w, scale); });
    ToCanvasOrder(page.pixels);
    page.figureText =
        JsonFields().Text("lowest", Shortest(scale.lo)).Text("highest", Shortest(scale.hi)).Object();
    return page.pixels.data();
} catch (const std::bad_alloc&) {
    return NoPixels();
} catch (const std::length_error&) {
    return NoPixels();
}

// Shape k of those found (from 0) as --shape --figure draws it, times `factor` on the shape's own
// scale (1 for the shape, cos(omega t) as it vibrates); or with `shared`, on the scale of all
// those found, as the gallery draws them.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* membrane_shape_pixels(int k, int width, int height,
                                                                  double factor, int shared)
try {
    Page& page = ThePage();
    std::vector<std::uint32_t>().swap(page.pixels);
    if (k < 0 || k >= static_cast<int>(page.shapes.size()) || !PixelsFit(width, height))
        return nullptr;
    const std::int32_t nodes = (page.shapesDivX + 1) * (page.shapesDivY + 1);
    double limit = 0.0;
    for (const ModeShape& s : page.shapes)
        if (shared || &s == &page.shapes[static_cast<std::size_t>(k)])
            limit = std::max(limit, ShapeLimit(s.phi.data(), nodes));
    const FieldGrid grid{page.shapes[static_cast<std::size_t>(k)].phi.data(), page.shapesDivX,
                         page.shapesDivY, MembraneModel::kLenX, MembraneModel::kLenY};
    page.pixels = FieldPixels(grid, width, height, factor,
                              [&](double w) { return ShapeColour(w, limit); });
    ToCanvasOrder(page.pixels);
    page.figureText =
        JsonFields().Text("lowest", Shortest(-limit)).Text("highest", Shortest(limit)).Object();
    return page.pixels.data();
} catch (const std::bad_alloc&) {
    return NoPixels();
} catch (const std::length_error&) {
    return NoPixels();
}

EMSCRIPTEN_KEEPALIVE const char* membrane_figure_text() { return ThePage().figureText.c_str(); }

}  // extern "C"
