// The page's numbers: the compute command of the dialog and the exports of membrane-solve,
// compiled to WebAssembly, behind a small C interface that the page's module calls. One record
// lives for the page, as the dialog keeps one; every text the page reads stays valid until the
// next computation.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/LowestResonances.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "present/ColorMap.h"
#include "present/FigureTitles.h"
#include "present/NodeExport.h"
#include "present/ReportSink.h"

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
};

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
    page.csv = NodeCsv(field);
    page.vtk = RectilinearVtk(field, SolutionTitle(field, page.option));
    ForEachMapCell(field, 0, MapBlockHeight(field), [&](const MapCell& c) {
        page.cells.insert(page.cells.end(),
                          {c.left, c.top, c.right - c.left, c.bottom - c.top, c.intensity});
    });
    return outcome == ComputeOutcome::Solved ? 0 : 1;
}

EMSCRIPTEN_KEEPALIVE const char* membrane_list() { return ThePage().list.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* membrane_table() { return ThePage().table.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* membrane_csv() { return ThePage().csv.c_str(); }
// The VTK file is binary: its length with it.
EMSCRIPTEN_KEEPALIVE const char* membrane_vtk() { return ThePage().vtk.data(); }
EMSCRIPTEN_KEEPALIVE int membrane_vtk_size() { return static_cast<int>(ThePage().vtk.size()); }

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

}  // extern "C"
