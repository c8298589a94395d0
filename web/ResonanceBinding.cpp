// The page's resonances and shapes of the mesh shown, as membrane-solve --modes --details,
// --shape and --shapes find them.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "command/LowestResonances.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "present/ReportText.h"
#include "solver/ModeShape.h"
#include "web/Page.h"

using namespace web;

extern "C" {

// The n lowest resonances of the mesh shown, with the load of the option it was solved with,
// as membrane-solve --modes n --details writes them; "error: " and the reason where there are
// none to list. On the calling thread alone: a page has one.
EMSCRIPTEN_KEEPALIVE const char* membrane_resonances(int n)
try {
    Page& page = ThePage();
    NodalField field;
    bool option = false;
    page.resonances = AskOfShownMesh(page, "resonances", 1, n, field, option);
    if (!page.resonances.empty())
        return page.resonances.c_str();
    const std::int32_t divX = field.m_nDivX, divY = field.m_nDivY;
    const ResonanceSearch search = MeshSearch(divX, divY, 1, field.m_scheme);
    const std::vector<double> alphas = LowestResonances(search, n);
    std::vector<NumberedResonance> listed;
    for (std::size_t k = 0; k < alphas.size(); ++k)
        listed.push_back({static_cast<std::int32_t>(k + 1), alphas[k]});
    page.resonances = DetailsCsv(DescribeResonances(search, option, listed));
    return page.resonances.c_str();
} catch (const std::bad_alloc&) {
    return MemoryRefused(ThePage().resonances);
} catch (const std::length_error&) {
    return MemoryRefused(ThePage().resonances);
}

// The lowest resonances of the mesh shown, their count read from its text as membrane-solve
// reads --modes: membrane_resonances, or "error: " and the reason in the tool's words.
EMSCRIPTEN_KEEPALIVE const char* membrane_resonances_counted(const char* count)
{
    Page& page = ThePage();
    const std::optional<std::int32_t> n = ReadShownResonanceNumber(
        page, "the count of resonances", count, std::numeric_limits<std::int32_t>::max(),
        page.resonances);
    return n ? membrane_resonances(*n) : page.resonances.c_str();
}

// Finds the shapes of the resonances first..last of the mesh shown, as membrane-solve --shape
// and --shapes find them, with the load of its option; returns a JSON array of
// {index, alpha, kx, ky, participation}, or "error: " and the reason.
EMSCRIPTEN_KEEPALIVE const char* membrane_find_shapes(int first, int last)
try {
    Page& page = ThePage();
    page.shapes.clear();
    NodalField field;
    bool option = false;
    page.figureText = AskOfShownMesh(page, "shapes", first, last, field, option);
    if (!page.figureText.empty())
        return page.figureText.c_str();
    const std::int32_t divX = field.m_nDivX, divY = field.m_nDivY;
    page.shapes = ResonanceShapes(MeshSearch(divX, divY, 1, field.m_scheme), option, first, last);
    page.shapesDivX = divX;
    page.shapesDivY = divY;
    std::vector<std::string> found;
    for (const ModeShape& s : page.shapes)
        found.push_back(JsonFields()
                            .Count("index", s.index)
                            .Text("alpha", Shortest(s.alpha))
                            .Count("kx", s.kx)
                            .Count("ky", s.ky)
                            .Text("participation", Shortest(s.participation))
                            .Object());
    page.figureText = JsonArray(found);
    return page.figureText.c_str();
} catch (const std::bad_alloc&) {
    ThePage().shapes.clear();
    return MemoryRefused(ThePage().figureText);
} catch (const std::length_error&) {
    ThePage().shapes.clear();
    return MemoryRefused(ThePage().figureText);
}

// The shape of the resonance whose number its text gives, read as membrane-solve reads --shape:
// membrane_find_shapes of it, or "error: " and the reason in the tool's words.
EMSCRIPTEN_KEEPALIVE const char* membrane_find_shape(const char* number)
{
    Page& page = ThePage();
    const std::optional<std::int32_t> k = ReadShownResonanceNumber(
        page, "the shape", number, std::numeric_limits<std::int32_t>::max(), page.figureText);
    if (!k) {
        page.shapes.clear();
        return page.figureText.c_str();
    }
    return membrane_find_shapes(*k, *k);
}

// The gallery's shapes, from the first to the count its text gives, read as membrane-solve reads
// --shapes: a whole number from 1 to 36 and to the mesh's resonances. The lines of
// membrane_find_shapes, or "error: " and the reason in the tool's words.
EMSCRIPTEN_KEEPALIVE const char* membrane_find_gallery(const char* count)
{
    Page& page = ThePage();
    NodalField field;
    bool option = false;
    if (ShownField(page, field, option)) {
        std::string refusal;
        const std::optional<std::int32_t> n = ReadResonanceNumber(
            "the gallery", count, field.m_nDivX, field.m_nDivY, kMostGalleryShapes, refusal);
        if (!n) {
            page.shapes.clear();
            page.figureText = "error: " + refusal;
            return page.figureText.c_str();
        }
        return membrane_find_shapes(1, *n);
    }
    return membrane_find_shapes(1, 1);  // says what to do first
}

}  // extern "C"
