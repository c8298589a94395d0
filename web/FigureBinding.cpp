// The pixels of the page's figures, as membrane-solve's figures draw their fields: the
// solution's field, a shape, a gallery's shapes on one scale.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "present/ColorMap.h"
#include "present/FieldRaster.h"
#include "present/FigureLayout.h"
#include "present/FigureTitles.h"
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

// What the figure of the solution shown draws beside its field, as membrane-solve --figure
// draws it: a JSON object of the figure's size and the rectangles of its domain and colour bar
// ([left, top, width, height] in the figure's pixels), its title, the labels of the axes (one a
// unit, each {text, at}: its column or row), the bar's lowest and highest value, its rounded
// ticks ({text, at}, each at its row), and the line that says how many values are not finite
// (empty where all are). "" where nothing is solved.
EMSCRIPTEN_KEEPALIVE const char* membrane_field_figure()
try {
    Page& page = ThePage();
    page.figureText.clear();
    NodalField field;
    bool option = false;
    if (!ShownField(page, field, option))
        return page.figureText.c_str();
    const auto rect = [](const PixelRect& r) {
        return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.width) + "," + std::to_string(r.height) + "]";
    };
    const auto label = [](const std::string& text, int at) {
        return JsonFields().Text("text", text).Count("at", at).Object();
    };
    std::vector<std::string> xs, ys, ticks;
    for (int u = 0; u <= static_cast<int>(field.m_dLenX); ++u)
        xs.push_back(label(std::to_string(u),
                           kFieldDomain.left + static_cast<int>(std::lround(
                                                   u / field.m_dLenX * kFieldDomain.width))));
    for (int u = 0; u <= static_cast<int>(field.m_dLenY); ++u)
        ys.push_back(label(std::to_string(u),
                           kFieldDomain.Bottom() - static_cast<int>(std::lround(
                                                       u / field.m_dLenY * kFieldDomain.height))));
    const MapScale scale = SolutionScale(field);
    const bool finite = std::isfinite(scale.lo) && std::isfinite(scale.hi);
    for (const double v : ColourBarTicks(scale.lo, scale.hi))
        ticks.push_back(label(FigureNumber(v, 6), BarRow(v, scale.lo, scale.hi)));
    page.figureText =
        JsonFields()
            .Raw("size", "[" + std::to_string(kFieldFigureWidth) + "," +
                             std::to_string(kFieldFigureHeight) + "]")
            .Raw("domain", rect(kFieldDomain))
            .Raw("bar", rect(kFieldBar))
            .Text("title", SolutionTitle(field, option))
            .Raw("x", JsonArray(xs))
            .Raw("y", JsonArray(ys))
            .Text("name", "W")
            .Text("lowest", finite ? FigureNumber(scale.lo, 7) : "")
            .Text("highest", finite ? FigureNumber(scale.hi, 7) : "")
            .Raw("ticks", JsonArray(ticks))
            .Text("note", NotFiniteNote(NotFiniteCount(field.m_W, field.m_nNode), field.m_nNode))
            .Object();
    return page.figureText.c_str();
} catch (const std::bad_alloc&) {
    return MemoryRefused(ThePage().figureText);
}

// The colour bar of the solution shown, width x height pixels from its highest value in the top
// row to its lowest in the bottom row, as --figure shades it; grey where no value is finite.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* membrane_field_bar_pixels(int width, int height)
try {
    Page& page = ThePage();
    std::vector<std::uint32_t>().swap(page.pixels);
    NodalField field;
    bool option = false;
    if (!ShownField(page, field, option) || !PixelsFit(width, height) || height < 2)
        return nullptr;
    const MapScale scale = SolutionScale(field);
    const bool finite = std::isfinite(scale.lo) && std::isfinite(scale.hi);
    page.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int py = 0; py < height; ++py) {
        const double f = static_cast<double>(height - 1 - py) / (height - 1);
        const std::uint32_t c =
            finite ? SolutionColour(scale.lo + f * (scale.hi - scale.lo), scale) : 0xffa0a0a0u;
        std::fill_n(page.pixels.begin() + static_cast<std::ptrdiff_t>(py) * width, width, c);
    }
    ToCanvasOrder(page.pixels);
    return page.pixels.data();
} catch (const std::bad_alloc&) {
    return NoPixels();
}

}  // extern "C"
