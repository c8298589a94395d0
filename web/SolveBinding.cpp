// The page's solutions: the dialog's computation, from its three fields' texts, and a finer
// mesh's, read as membrane-solve reads its numbers; their report list, table, CSV and VTK, the
// colour map's cells, and the mesh the parts below show.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "present/ColorMap.h"
#include "present/FigureTitles.h"
#include "present/NodeExport.h"
#include "present/ReportSink.h"
#include "present/ReportText.h"
#include "solver/ShiftedFactor.h"
#include "solver/SolverChoice.h"
#include "web/Page.h"

using namespace web;

namespace {

// The report list as one text, each line ended by a line feed, and the table: no string of its
// own for each of the thousands of value lines, which would cost the page as much again as the
// solve.
class ListTextSink final : public ReportSink {
public:
    explicit ListTextSink(std::string& list) : m_list(list) {}
    std::string table;

    void ResetList() override { m_list.clear(); }
    void AddLine(std::string_view line) override { (m_list += line) += '\n'; }
    void AddValueLines(const NodalField& field, ValueFormat format) override
    {
        const ValueLines lines(field, format);
        for (int k = 0; k < lines.Count(); ++k) {
            lines.Append(m_list, k);
            m_list += '\n';
        }
    }
    void RequestRepaint() override {}
    void SetTable(std::string text) override { table = std::move(text); }

private:
    std::string& m_list;
};

}  // namespace

namespace {

// A finer mesh that does not fit in the page's memory: none is kept, and the reason is said.
const char* FinerMemoryRefused()
{
    Page& page = ThePage();
    page.finer.reset();
    page.finerShown = false;
    return MemoryRefused(page.finerText);
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
    ListTextSink sink(page.list);
    const ComputeOutcome outcome = RunCompute(page.record, {divx, divy, alpha}, sink);
    page.cells.clear();
    page.files = {};
    page.note.clear();
    page.finerShown = false;
    if (outcome == ComputeOutcome::Rejected)
        return 2;
    page.option = option != 0;
    page.table = std::move(sink.table);
    page.note = AccuracyNote({page.record.m_nDivX, page.record.m_nDivY}, page.record.m_dAlpha)
                    .value_or("");
    const NodalField field(page.record);
    ForEachMapCell(field, 0, MapBlockHeight(field), [&](const MapCell& c) {
        page.cells.insert(page.cells.end(),
                          {c.left, c.top, c.right - c.left, c.bottom - c.top, c.intensity});
    });
    return outcome == ComputeOutcome::Solved ? 0 : 1;
}

EMSCRIPTEN_KEEPALIVE const char* membrane_list() { return ThePage().list.c_str(); }
// What membrane-solve notes on standard error of the last computation: how close its mesh comes
// to the membrane at its alpha, with either scheme, where it has fewer than 10 points per
// wavelength; "" otherwise and after a refusal. The page shows it outside the dialog's list.
EMSCRIPTEN_KEEPALIVE const char* membrane_note() { return ThePage().note.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* membrane_table() { return ThePage().table.c_str(); }

// Solves a finer mesh, beyond the dialog's limits as membrane-solve does: the counts whole
// numbers from 1 up, alpha a finite decimal number, the mesh within the page's memory, with the
// element of the scheme named ("standard" or "low-dispersion", as --scheme takes it); within
// the dialog's limits by the dialog's band elimination, beyond them by the sparse LDL^T where it
// is cheaper. The figure, the resonances and the shapes then show it. Returns "error: " and
// the reason, or a line that says what was solved, and the notes of membrane-solve, each line
// ended by a line feed.
EMSCRIPTEN_KEEPALIVE const char* membrane_solve_mesh(const char* divx, const char* divy,
                                                     const char* alpha, int option,
                                                     const char* schemeName)
try {
    Page& page = ThePage();
    std::string& text = page.finerText;
    const std::optional<Scheme> scheme = ReadScheme(schemeName);
    if (!scheme) {
        text = "error: the scheme " + SchemeRefusal(schemeName);
        return text.c_str();
    }
    const std::optional<std::int32_t> divX = ReadDivisions(divx, "divx", text);
    if (!divX)
        return text.c_str();
    const std::optional<std::int32_t> divY = ReadDivisions(divy, "divy", text);
    if (!divY)
        return text.c_str();
    const std::optional<double> a = ReadPageAlpha(alpha, text);
    if (!a)
        return text.c_str();
    if (const std::optional<std::string> large = MeshOverBudget(
            *divX, *divY, 1, kPageBudget, "the " + ByteText(kPageBudget) + " a page may take")) {
        text = "error: " + *large;
        return text.c_str();
    }
    page.finer.reset();
    page.finerFiles = {};
    page.finer = std::make_unique<SizedRecord>(*divX, *divY);
    page.finerOption = option != 0;
    CollectingSink sink;
    const SizedOutcome solved = RunComputeSized(
        *page.finer, {*divX, *divY, *a, option != 0, SolverRequest::Auto, *scheme}, sink,
        ValueFormat::Fixed6);
    page.finerShown = true;
    text = "Solved the " + std::to_string(*divX) + " x " + std::to_string(*divY) +
           " mesh at alpha " + Shortest(*a) +
           (*scheme == Scheme::Standard ? "" : " with the " + std::string(SchemeName(*scheme)) +
                                                   " scheme") +
           " by the " + std::string(SolverFormName(solved.form)) + ".\n";
    if (solved.outcome == ComputeOutcome::SolvedNonFinite)
        text += "Some values are not finite; change alpha.\n";
    if (solved.inertia.firstBadRow == 0)
        if (const std::optional<std::string> note = NearResonanceNote(
                *divX, *divY, *a, ResonancesBelow(*page.finer, solved.inertia), *scheme))
            text += *note + '\n';
    if (const std::optional<std::string> note = AccuracyNote({*divX, *divY}, *a, *scheme))
        text += *note + '\n';
    return text.c_str();
} catch (const std::bad_alloc&) {
    return FinerMemoryRefused();
} catch (const std::length_error&) {
    return FinerMemoryRefused();
}

// The CSV file, as membrane-solve --csv writes it.
EMSCRIPTEN_KEEPALIVE const char* membrane_csv(int finer)
{
    return FileOf(finer, &Files::csv, [](const NodalField& field, bool) {
        return NodeCsv(field);
    }).c_str();
}
// The VTK file, as --vtk writes it; binary, so its length with it.
EMSCRIPTEN_KEEPALIVE const char* membrane_vtk(int finer)
{
    return FileOf(finer, &Files::vtk, [](const NodalField& field, bool option) {
        return RectilinearVtk(field, SolutionTitle(field, option));
    }).data();
}
EMSCRIPTEN_KEEPALIVE int membrane_vtk_size(int finer)
{
    membrane_vtk(finer);
    return static_cast<int>((finer ? ThePage().finerFiles : ThePage().files).vtk.size());
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

// The mesh of the solution shown: its counts, 0 where nothing is solved.
EMSCRIPTEN_KEEPALIVE int membrane_divx()
{
    NodalField field;
    bool option = false;
    return ShownField(ThePage(), field, option) ? field.m_nDivX : 0;
}
EMSCRIPTEN_KEEPALIVE int membrane_divy()
{
    NodalField field;
    bool option = false;
    return ShownField(ThePage(), field, option) ? field.m_nDivY : 0;
}
// Its scheme: the name of the element that solved it, "" where nothing is solved.
EMSCRIPTEN_KEEPALIVE const char* membrane_scheme()
{
    NodalField field;
    bool option = false;
    return ShownField(ThePage(), field, option) ? SchemeName(field.m_scheme).data() : "";
}
// Its option: 1 where the load has the raised centre peak.
EMSCRIPTEN_KEEPALIVE int membrane_option()
{
    NodalField field;
    bool option = false;
    return ShownField(ThePage(), field, option) && option ? 1 : 0;
}

}  // extern "C"
