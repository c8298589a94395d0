// The page's numbers: the compute command of the dialog and the exports of membrane-solve,
// compiled to WebAssembly, behind a small C interface that the page's module calls. One record
// lives for the page, as the dialog keeps one; every text the page reads stays valid until the
// next computation.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "command/LowestResonances.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "command/Sweep.h"
#include "present/ColorMap.h"
#include "present/FieldRaster.h"
#include "present/FigureTitles.h"
#include "present/NodeExport.h"
#include "present/ReportSink.h"
#include "solver/ModeShape.h"

namespace {

struct Page {
    MembraneModel record;
    bool option = true;  // of the last computation, for the titles of the exports
    std::string list;    // the report list, each line ended by a line feed
    std::string table;   // the clipboard's table of the last computation that made one
    std::string csv;
    std::string vtk;
    std::vector<std::int32_t> cells;  // x, y, width, height, intensity of every map cell
    std::string resonances;           // the last list of resonances, or what is wrong
    // The sweep under way: its mesh and interval, the points so far, the text handed out.
    SweepMesh sweepMesh{};
    double a0 = 0.0, a1 = 0.0;
    std::int64_t points = 0;
    std::vector<SweepPoint> swept;
    std::string sweepText;
    // The figures: the pixels handed out, the shapes found, and the text that describes them.
    std::vector<std::uint32_t> pixels;
    std::vector<ModeShape> shapes;
    std::int32_t shapesDivX = 0, shapesDivY = 0;
    std::string figureText;
};

std::string Shortest(double v)
{
    std::string text;
    AppendValue(text, v, ValueFormat::Shortest);
    return text;
}

// 0xAARRGGBB to the bytes R, G, B, A of a canvas's image data, in a little-endian word.
void ToCanvasOrder(std::vector<std::uint32_t>& pixels)
{
    for (std::uint32_t& p : pixels)
        p = (p & 0xff00ff00u) | (p >> 16 & 0xffu) | (p & 0xffu) << 16;
}

Page& ThePage()
{
    static Page* page = [] {
        auto* p = new Page;
        p->record.m_dLenX = MembraneModel::kLenX;
        p->record.m_dLenY = MembraneModel::kLenY;
        p->record.m_bSolved = 0;
        p->record.m_bOption = 1;
        return p;
    }();
    return *page;
}

}  // namespace

extern "C" {

// Computes as the dialog's 計算 does, from the texts of the three fields and the option's state;
// returns 0 when solved, 1 when solved with a value that is not finite, 2 when a count is
// refused (the list then holds the dialog's messages, and the table stays as it was).
EMSCRIPTEN_KEEPALIVE int membrane_compute(const char* divx, const char* divy, const char* alpha,
                                          int option)
{
    Page& page = ThePage();
    page.record.m_bOption = option ? 1 : 0;
    CollectingSink sink;
    const ComputeOutcome outcome = RunCompute(page.record, {divx, divy, alpha}, sink);
    page.list.clear();
    for (const std::string& line : sink.lines)
        (page.list += line) += '\n';
    page.cells.clear();
    page.csv.clear();
    page.vtk.clear();
    if (outcome == ComputeOutcome::Rejected)
        return 2;
    page.option = option != 0;
    page.table = std::move(sink.table);
    const NodalField field(page.record);
    ForEachMapCell(field, 0, MapBlockHeight(field), [&](const MapCell& c) {
        page.cells.insert(page.cells.end(),
                          {c.left, c.top, c.right - c.left, c.bottom - c.top, c.intensity});
    });
    return outcome == ComputeOutcome::Solved ? 0 : 1;
}

EMSCRIPTEN_KEEPALIVE const char* membrane_list() { return ThePage().list.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* membrane_table() { return ThePage().table.c_str(); }
// The files of the last solution, made when first asked for: a computation writes only what the
// dialog shows. Empty where nothing is solved.
EMSCRIPTEN_KEEPALIVE const char* membrane_csv()
{
    Page& page = ThePage();
    if (page.csv.empty() && page.record.m_bSolved)
        page.csv = NodeCsv(NodalField(page.record));
    return page.csv.c_str();
}
// The VTK file is binary: its length with it.
EMSCRIPTEN_KEEPALIVE const char* membrane_vtk()
{
    Page& page = ThePage();
    if (page.vtk.empty() && page.record.m_bSolved) {
        const NodalField field(page.record);
        page.vtk = RectilinearVtk(field, SolutionTitle(field, page.option));
    }
    return page.vtk.data();
}
EMSCRIPTEN_KEEPALIVE int membrane_vtk_size()
{
    membrane_vtk();
    return static_cast<int>(ThePage().vtk.size());
}

// The colour map of the last solution, the dialog's cells in the dialog's pixels: the block's
// size, and five numbers a cell (left, top, width, height, intensity; red = green = intensity,
// blue 255), node 1 at the bottom left. No cells where nothing is solved.
EMSCRIPTEN_KEEPALIVE int membrane_map_width() { return MapBlockWidth(NodalField(ThePage().record)); }
EMSCRIPTEN_KEEPALIVE int membrane_map_height()
{
    return MapBlockHeight(NodalField(ThePage().record));
}
EMSCRIPTEN_KEEPALIVE int membrane_map_cell_count()
{
    return static_cast<int>(ThePage().cells.size() / 5);
}
EMSCRIPTEN_KEEPALIVE const std::int32_t* membrane_map_cells() { return ThePage().cells.data(); }

// The n lowest resonances of the mesh of the last solution, with the load of the option, as
// membrane-solve --modes n --details writes them; "error: " and the reason where there are none
// to list. On the calling thread alone: a page has one.
EMSCRIPTEN_KEEPALIVE const char* membrane_resonances(int n, int option)
{
    Page& page = ThePage();
    const std::int32_t divX = page.record.m_nDivX, divY = page.record.m_nDivY;
    if (page.record.m_bSolved == 0) {
        page.resonances = "error: compute first: the resonances are those of the mesh computed";
        return page.resonances.c_str();
    }
    const std::int32_t available = ResonanceCount(divX, divY);
    if (available < 1) {
        page.resonances = "error: " + NoResonanceText(divX, divY);
        return page.resonances.c_str();
    }
    if (n < 1 || n > available) {
        page.resonances = "error: the " + std::to_string(divX) + " x " + std::to_string(divY) +
                          " mesh has " + std::to_string(available) +
                          " resonances, one per node off the fixed edges; ask for 1 to " +
                          std::to_string(available) + ", not " + std::to_string(n);
        return page.resonances.c_str();
    }
    const ResonanceSearch search = MeshSearch(divX, divY, 1);
    const std::vector<double> alphas = LowestResonances(search, n);
    std::vector<NumberedResonance> listed;
    for (std::size_t k = 0; k < alphas.size(); ++k)
        listed.push_back({static_cast<std::int32_t>(k + 1), alphas[k]});
    page.resonances = DetailsCsv(DescribeResonances(search, option != 0, listed));
    return page.resonances.c_str();
}

// Sets up a sweep of the divx x divy mesh (counts of at least 1) from the text "A0:A1:N", read
// as membrane-solve reads --sweep: finite decimal bounds, A0 <= A1, N a whole number of at
// least 2. Returns "" when it is set up, else what is wrong with the text, in one line.
EMSCRIPTEN_KEEPALIVE const char* membrane_sweep_setup(int divx, int divy, const char* range,
                                                      int option)
{
    Page& page = ThePage();
    page.swept.clear();
    page.points = 0;
    const std::vector<std::string_view> fields = ColonFields(range);
    double a0 = 0.0, a1 = 0.0, n = 0.0;
    if (divx < 1 || divy < 1)
        page.sweepText = "the sweep needs a mesh of at least 1 x 1";
    else if (fields.size() != 3)
        page.sweepText = "the sweep takes A0:A1:N";
    else if (!ReadStrictDecimal(fields[0], a0) || !ReadStrictDecimal(fields[1], a1))
        page.sweepText = "the sweep takes finite decimal numbers as bounds";
    else if (a0 > a1)
        page.sweepText = "the sweep needs A0 <= A1";
    else if (!ReadStrictDecimal(fields[2], n) || n != std::floor(n) || n < 2 || n > 1e7 ||
             fields[2].find_first_of(".eE") != std::string_view::npos)
        page.sweepText = "the sweep takes N as a whole number from 2 to 10000000";
    else
        page.sweepText.clear();
    if (!page.sweepText.empty())
        return page.sweepText.c_str();
    page.sweepMesh = {divx, divy, option != 0};
    page.a0 = a0;
    page.a1 = a1;
    page.points = static_cast<std::int64_t>(n);
    page.swept.reserve(static_cast<std::size_t>(page.points));
    return page.sweepText.c_str();
}

EMSCRIPTEN_KEEPALIVE double membrane_sweep_points() { return static_cast<double>(ThePage().points); }

// The next count points of the sweep set up, as CSV rows of membrane-solve --sweep (its header
// before the first); "" when every point is done.
EMSCRIPTEN_KEEPALIVE const char* membrane_sweep_next(int count)
{
    Page& page = ThePage();
    const auto first = static_cast<std::int64_t>(page.swept.size());
    const std::int64_t take = std::min<std::int64_t>(count, page.points - first);
    page.sweepText = first == 0 && take > 0 ? "alpha,max_abs_w,modes_below,first_zero_pivot\n" : "";
    if (take <= 0)
        return page.sweepText.c_str();
    for (const SweepPoint& p :
         RunSweep(page.sweepMesh, page.a0, page.a1, page.points, first, take, 1)) {
        page.sweepText += Shortest(p.alpha) + ',' + Shortest(p.maxAbsW) + ',' +
                          std::to_string(p.modesBelow) + ',' + std::to_string(p.firstZeroPivot) +
                          '\n';
        page.swept.push_back(p);
    }
    return page.sweepText.c_str();
}

// The resonance lines of the finished sweep as --plot draws them: "alpha,excited" rows.
EMSCRIPTEN_KEEPALIVE const char* membrane_sweep_lines()
{
    Page& page = ThePage();
    page.sweepText.clear();
    if (page.swept.size() != static_cast<std::size_t>(page.points) || page.points == 0)
        return page.sweepText.c_str();
    const ResonanceSearch search = MeshSearch(page.sweepMesh.divX, page.sweepMesh.divY, 1);
    for (const ResonanceLine& line :
         SweepResonanceLines(search, page.sweepMesh.option, page.a0, page.a1, page.swept))
        page.sweepText += Shortest(line.alpha) + (line.excited ? ",1\n" : ",0\n");
    return page.sweepText.c_str();
}

// The solution's figure as --figure draws its field: width x height pixels over the domain, the
// top row first, 0xAABBGGRR as a canvas's image data takes them; nothing where nothing is
// solved. membrane_figure_text then holds "lowest,highest" of its colour bar.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* membrane_field_pixels(int width, int height)
{
    Page& page = ThePage();
    page.pixels.clear();
    page.figureText.clear();
    if (page.record.m_bSolved == 0 || width < 1 || height < 1)
        return page.pixels.data();
    const NodalField field(page.record);
    const MapScale scale = SolutionScale(field);
    page.pixels = FieldPixels(GridOf(field), width, height, 1.0,
                              [&](double w) { return SolutionColour(w, scale); });
    ToCanvasOrder(page.pixels);
    page.figureText = Shortest(scale.lo) + ',' + Shortest(scale.hi);
    return page.pixels.data();
}

// Finds the shapes of the resonances first..last of the mesh of the last solution, as
// membrane-solve --shape and --shapes find them, with the load of the option; returns one line
// "index,alpha,kx,ky,participation" for each, or "error: " and the reason.
EMSCRIPTEN_KEEPALIVE const char* membrane_find_shapes(int first, int last, int option)
{
    Page& page = ThePage();
    page.shapes.clear();
    const std::int32_t divX = page.record.m_nDivX, divY = page.record.m_nDivY;
    const std::int32_t available = page.record.m_bSolved ? ResonanceCount(divX, divY) : 0;
    if (page.record.m_bSolved == 0)
        page.figureText = "error: compute first: the shapes are those of the mesh computed";
    else if (available < 1)
        page.figureText = "error: " + NoResonanceText(divX, divY);
    else if (first < 1 || last < first || last > available)
        page.figureText = "error: the " + std::to_string(divX) + " x " + std::to_string(divY) +
                          " mesh has resonances 1 to " + std::to_string(available);
    else
        page.figureText.clear();
    if (!page.figureText.empty())
        return page.figureText.c_str();
    page.shapes = ResonanceShapes(MeshSearch(divX, divY, 1), option != 0, first, last);
    page.shapesDivX = divX;
    page.shapesDivY = divY;
    for (const ModeShape& s : page.shapes)
        page.figureText += std::to_string(s.index) + ',' + Shortest(s.alpha) + ',' +
                           std::to_string(s.kx) + ',' + std::to_string(s.ky) + ',' +
                           Shortest(s.participation) + '\n';
    return page.figureText.c_str();
}

// Shape k of those found (from 0) as --shape --figure draws it, times `factor` on the shape's own
// scale (1 for the shape, cos(omega t) as it vibrates); or with `shared`, on the scale of all
// those found, as the gallery draws them.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* membrane_shape_pixels(int k, int width, int height,
                                                                  double factor, int shared)
{
    Page& page = ThePage();
    page.pixels.clear();
    if (k < 0 || k >= static_cast<int>(page.shapes.size()) || width < 1 || height < 1)
        return page.pixels.data();
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
    page.figureText = Shortest(-limit) + ',' + Shortest(limit);
    return page.pixels.data();
}

EMSCRIPTEN_KEEPALIVE const char* membrane_figure_text() { return ThePage().figureText.c_str(); }

// The mesh of the last solution: its counts, 0 where nothing is solved.
EMSCRIPTEN_KEEPALIVE int membrane_divx()
{
    return ThePage().record.m_bSolved ? ThePage().record.m_nDivX : 0;
}
EMSCRIPTEN_KEEPALIVE int membrane_divy()
{
    return ThePage().record.m_bSolved ? ThePage().record.m_nDivY : 0;
}

}  // extern "C"
