// The page's numbers: the compute command of the dialog and the exports of membrane-solve,
// compiled to WebAssembly, behind a small C interface that the page's module calls. One record
// lives for the page, as the dialog keeps one, and beside it one sized to a finer mesh; every
// text the page reads stays valid until the next call that makes the same kind of text.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "command/LowestResonances.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "command/Sweep.h"
#include "present/ColorMap.h"
#include "present/FieldRaster.h"
#include "present/FigureTitles.h"
#include "present/NodeExport.h"
#include "present/ReportSink.h"
#include "present/ReportText.h"
#include "solver/ModeShape.h"
#include "solver/ShiftedFactor.h"
#include "solver/SolverChoice.h"

namespace {

// The memory a finer mesh's record may take: a quarter of the 2 GB WebAssembly's memory grows
// to, which leaves room for the sparse factor, Lanczos' vectors and the shapes.
constexpr double kPageBudget = 512e6;

// The CSV and VTK files of a solution, made when first asked for.
struct Files {
    std::string csv;
    std::string vtk;
};

struct Page {
    MembraneModel record;
    bool option = true;  // of the last computation, for the titles of the exports
    std::string list;    // the report list, each line ended by a line feed
    std::string table;   // the clipboard's table of the last computation that made one
    Files files;
    // The last solve of a finer mesh, any counts within kPageBudget, read as membrane-solve
    // reads them; and which of the two solutions the figure, the resonances and the shapes show:
    // the one solved last.
    std::unique_ptr<SizedRecord> fine;
    bool fineOption = false;
    Files fineFiles;
    std::string fineText;
    bool fineShown = false;
    std::string studyText;
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

// The dialog's solution or the finer mesh's, and the option it was solved with; false where
// that one is not solved.
bool SolutionOf(const Page& page, bool fine, NodalField& field, bool& option)
{
    if (fine ? !(page.fine && page.fine->m_bSolved) : page.record.m_bSolved == 0)
        return false;
    field = fine ? NodalField(*page.fine) : NodalField(page.record);
    option = fine ? page.fineOption : page.option;
    return true;
}

// The solution the parts beyond the dialog show: the one solved last.
bool ShownField(const Page& page, NodalField& field, bool& option)
{
    return SolutionOf(page, page.fineShown, field, option);
}

// "error: " and the mesh's resonances where k lies outside them, or beyond what Lanczos finds
// at once on a mesh beyond the dialog's (more would take many factorisations each); "" where
// 1..k may be asked for.
std::string ResonanceRangeFault(std::int32_t divX, std::int32_t divY, std::int32_t first,
                                std::int32_t last)
{
    const std::int32_t available = ResonanceCount(divX, divY);
    if (available < 1)
        return "error: " + NoResonanceText(divX, divY);
    const std::int32_t most = WithinDialogLimits(divX, divY) ? available
                                                             : std::min(available, kLanczosMost);
    if (first >= 1 && first <= last && last <= most)
        return {};
    const std::string mesh = "the " + std::to_string(divX) + " x " + std::to_string(divY) + " mesh";
    if (most < available)
        return "error: on " + mesh + " the page finds the lowest " + std::to_string(most) +
               " resonances; ask for 1 to " + std::to_string(most);
    return "error: " + mesh + " has " + std::to_string(available) +
           " resonances, one per node off the fixed edges; ask for 1 to " +
           std::to_string(available);
}

// The mesh shown and its option, and "" where its resonances first..last may be asked for; else
// "error: " and the reason. `what` names what is asked for: "resonances", "shapes".
std::string AskOfShownMesh(const Page& page, const char* what, std::int32_t first,
                           std::int32_t last, NodalField& field, bool& option)
{
    if (!ShownField(page, field, option))
        return std::string("error: compute first: the ") + what + " are those of the mesh computed";
    return ResonanceRangeFault(field.m_nDivX, field.m_nDivY, first, last);
}

// A count of divisions of a finer mesh, read as membrane-solve reads --divx; nothing and the
// reason where the text is no whole number from 1 up.
std::optional<std::int32_t> ReadDivisions(const char* text, const char* name, std::string& error)
{
    const std::optional<long long> n = ReadWholeNumber(text);
    if (n && *n >= 1 && *n <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(*n);
    error = std::string("error: ") + name + " take a whole number from 1 up, not '" + text + "'";
    return std::nullopt;
}

// Alpha read as membrane-solve reads it: a finite decimal number.
std::optional<double> ReadPageAlpha(const char* text, std::string& error)
{
    double alpha = 0.0;
    if (ReadStrictDecimal(text, alpha))
        return alpha;
    error = std::string("error: alpha takes a finite decimal number, not '") + text + "'";
    return std::nullopt;
}

// The number of the resonance that line k of a sweep's plot draws: one more than the resonances
// below it, which the sweep point nearest below it in magnitude counted (none below 0), and the
// lines on its side between that point and it. A line at -a' is the resonance a'.
std::int32_t LineIndex(const std::vector<SweepPoint>& points,
                       const std::vector<ResonanceLine>& lines, std::size_t k)
{
    const double a = std::fabs(lines[k].alpha);
    double from = 0.0;
    std::int32_t below = 0;
    for (const SweepPoint& p : points)
        if (std::fabs(p.alpha) <= a && std::fabs(p.alpha) >= from) {
            from = std::fabs(p.alpha);
            below = p.modesBelow;
        }
    const bool negative = std::signbit(lines[k].alpha);
    for (std::size_t j = 0; j < lines.size(); ++j) {
        const double b = std::fabs(lines[j].alpha);
        if (j != k && std::signbit(lines[j].alpha) == negative && b >= from &&
            (b < a || (b == a && j < k)))
            ++below;
    }
    return below + 1;
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

// A file of the dialog's solution (fine 0) or the finer mesh's (1), made by make(field, option)
// when first asked for: a computation writes only what it shows. Empty where that one is not
// solved.
template <class Make>
const std::string& FileOf(int fine, std::string Files::*which, Make make)
{
    Page& page = ThePage();
    std::string& file = (fine ? page.fineFiles : page.files).*which;
    NodalField field;
    bool option = false;
    if (file.empty() && SolutionOf(page, fine != 0, field, option))
        file = make(field, option);
    return file;
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
    page.fineShown = false;
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

// Solves a finer mesh, beyond the dialog's limits as membrane-solve does: the counts whole
// numbers from 1 up, alpha a finite decimal number, the mesh within the page's memory; within
// the dialog's limits by the dialog's band elimination, beyond them by the sparse LDL^T where it
// is cheaper. The figure, the resonances and the shapes then show it. Returns "error: " and
// the reason, or a line that says what was solved, and the notes of membrane-solve, each line
// ended by a line feed.
EMSCRIPTEN_KEEPALIVE const char* membrane_solve_mesh(const char* divx, const char* divy,
                                                     const char* alpha, int option)
{
    Page& page = ThePage();
    std::string& text = page.fineText;
    const std::optional<std::int32_t> divX = ReadDivisions(divx, "x divisions", text);
    if (!divX)
        return text.c_str();
    const std::optional<std::int32_t> divY = ReadDivisions(divy, "y divisions", text);
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
    page.fine.reset();
    page.fineFiles = {};
    page.fine = std::make_unique<SizedRecord>(*divX, *divY);
    page.fineOption = option != 0;
    CollectingSink sink;
    const SizedOutcome solved = RunComputeSized(
        *page.fine, {*divX, *divY, *a, option != 0, SolverRequest::Auto}, sink, ValueFormat::Fixed6);
    page.fineShown = true;
    const NodalField field(*page.fine);
    text = "Solved the " + std::to_string(*divX) + " x " + std::to_string(*divY) +
           " mesh at alpha " + Shortest(*a) + " by the " + std::string(SolverFormName(solved.form)) +
           ".\n";
    if (solved.outcome == ComputeOutcome::SolvedNonFinite)
        text += "Some values are not finite; change alpha.\n";
    if (solved.inertia.firstBadRow == 0)
        if (const std::optional<std::string> note = NearResonanceNote(
                *divX, *divY, *a, ResonancesBelow(*page.fine, solved.inertia)))
            text += *note + '\n';
    if (const std::optional<std::string> note = AccuracyNote({*divX, *divY}, *a))
        text += *note + '\n';
    return text.c_str();
}

// The CSV file, as membrane-solve --csv writes it.
EMSCRIPTEN_KEEPALIVE const char* membrane_csv(int fine)
{
    return FileOf(fine, &Files::csv, [](const NodalField& field, bool) {
        return NodeCsv(field);
    }).c_str();
}
// The VTK file, as --vtk writes it; binary, so its length with it.
EMSCRIPTEN_KEEPALIVE const char* membrane_vtk(int fine)
{
    return FileOf(fine, &Files::vtk, [](const NodalField& field, bool option) {
        return RectilinearVtk(field, SolutionTitle(field, option));
    }).data();
}
EMSCRIPTEN_KEEPALIVE int membrane_vtk_size(int fine)
{
    membrane_vtk(fine);
    return static_cast<int>((fine ? ThePage().fineFiles : ThePage().files).vtk.size());
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

// The n lowest resonances of the mesh shown, with the load of the option it was solved with,
// as membrane-solve --modes n --details writes them; "error: " and the reason where there are
// none to list. On the calling thread alone: a page has one.
EMSCRIPTEN_KEEPALIVE const char* membrane_resonances(int n)
{
    Page& page = ThePage();
    NodalField field;
    bool option = false;
    page.resonances = AskOfShownMesh(page, "resonances", 1, n, field, option);
    if (!page.resonances.empty())
        return page.resonances.c_str();
    const std::int32_t divX = field.m_nDivX, divY = field.m_nDivY;
    const ResonanceSearch search = MeshSearch(divX, divY, 1);
    const std::vector<double> alphas = LowestResonances(search, n);
    std::vector<NumberedResonance> listed;
    for (std::size_t k = 0; k < alphas.size(); ++k)
        listed.push_back({static_cast<std::int32_t>(k + 1), alphas[k]});
    page.resonances = DetailsCsv(DescribeResonances(search, option, listed));
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
    double a0 = 0.0, a1 = 0.0;
    std::optional<std::int64_t> n;
    if (divx < 1 || divy < 1)
        page.sweepText = "the sweep needs a mesh of at least 1 x 1";
    else if (fields.size() != 3)
        page.sweepText = "the sweep takes A0:A1:N";
    else if (!ReadStrictDecimal(fields[0], a0) || !ReadStrictDecimal(fields[1], a1))
        page.sweepText = "the sweep takes finite decimal numbers as bounds";
    else if (a0 > a1)
        page.sweepText = "the sweep needs A0 <= A1";
    else if (n = ReadSweepCount(fields[2]); !n)
        page.sweepText = "the sweep " + SweepCountRefusal(fields[2]);
    else
        page.sweepText.clear();
    if (!page.sweepText.empty())
        return page.sweepText.c_str();
    page.sweepMesh = {divx, divy, option != 0};
    page.a0 = a0;
    page.a1 = a1;
    page.points = *n;
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
    page.sweepText = first == 0 && take > 0 ? std::string(kSweepCsvHeader) : "";
    if (take <= 0)
        return page.sweepText.c_str();
    for (const SweepPoint& p :
         RunSweep(page.sweepMesh, page.a0, page.a1, page.points, first, take, 1)) {
        page.sweepText += SweepCsvRow(p);
        page.swept.push_back(p);
    }
    return page.sweepText.c_str();
}

// The resonance lines of the finished sweep as --plot draws them, and each one's number among
// the resonances: "alpha,excited,index" rows.
EMSCRIPTEN_KEEPALIVE const char* membrane_sweep_lines()
{
    Page& page = ThePage();
    page.sweepText.clear();
    if (page.swept.size() != static_cast<std::size_t>(page.points) || page.points == 0)
        return page.sweepText.c_str();
    const ResonanceSearch search = MeshSearch(page.sweepMesh.divX, page.sweepMesh.divY, 1);
    const std::vector<ResonanceLine> lines =
        SweepResonanceLines(search, page.sweepMesh.option, page.a0, page.a1, page.swept);
    for (std::size_t k = 0; k < lines.size(); ++k)
        page.sweepText += Shortest(lines[k].alpha) + (lines[k].excited ? ",1," : ",0,") +
                          std::to_string(LineIndex(page.swept, lines, k)) + '\n';
    return page.sweepText.c_str();
}

// The convergence study as membrane-solve --study writes it, on the ladder "15x5,30x10,..." (the
// tool's own where empty), each mesh within the page's memory: of the solution at alpha with
// the option off, or with `resonances` of the `modes` lowest resonances, a whole number from 1
// to 1000. The CSV, or "error: " and the reason.
EMSCRIPTEN_KEEPALIVE const char* membrane_study(int resonances, const char* alpha,
                                                const char* modes, const char* ladder)
{
    Page& page = ThePage();
    std::string& text = page.studyText;
    std::vector<StudyMesh> meshes = DefaultLadder();
    if (*ladder != '\0') {
        std::string error;
        const std::optional<std::vector<StudyMesh>> read = ReadLadder(ladder, error);
        if (!read) {
            text = "error: the ladder: " + error;
            return text.c_str();
        }
        meshes = *read;
    }
    if (const std::optional<std::string> large =
            MeshOverBudget(meshes.back().divX, meshes.back().divY, 1, kPageBudget,
                           "the " + ByteText(kPageBudget) + " a page may take")) {
        text = "error: " + *large;
        return text.c_str();
    }
    if (resonances) {
        const std::optional<std::int32_t> n = ReadStudyResonanceCount(modes);
        if (!n)
            text = "error: the count of resonances " + StudyResonanceCountRefusal(modes);
        else
            text = StudyResonanceCsv(StudyResonances(*n, meshes, 1));
        return text.c_str();
    }
    const std::optional<double> a = ReadPageAlpha(alpha, text);
    if (!a)
        return text.c_str();
    if (NearContinuumResonance(*a))
        text = "error: " + ContinuumResonanceRefusal(*a);
    else
        text = StudySolutionCsv(StudySolution(*a, meshes));
    return text.c_str();
}

// The figure of the solution shown as --figure draws its field: width x height pixels over the
// domain, the top row first, 0xAABBGGRR as a canvas's image data takes them; nothing where
// nothing is solved. membrane_figure_text then holds "lowest,highest" of its colour bar.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* membrane_field_pixels(int width, int height)
{
    Page& page = ThePage();
    page.pixels.clear();
    page.figureText.clear();
    NodalField field;
    bool option = false;
    if (!ShownField(page, field, option) || width < 1 || height < 1)
        return page.pixels.data();
    const MapScale scale = SolutionScale(field);
    page.pixels = FieldPixels(GridOf(field), width, height, 1.0,
                              [&](double w) { return SolutionColour(w, scale); });
    ToCanvasOrder(page.pixels);
    page.figureText = Shortest(scale.lo) + ',' + Shortest(scale.hi);
    return page.pixels.data();
}

// Finds the shapes of the resonances first..last of the mesh shown, as membrane-solve --shape
// and --shapes find them, with the load of its option; returns one line
// "index,alpha,kx,ky,participation" for each, or "error: " and the reason.
EMSCRIPTEN_KEEPALIVE const char* membrane_find_shapes(int first, int last)
{
    Page& page = ThePage();
    page.shapes.clear();
    NodalField field;
    bool option = false;
    page.figureText = AskOfShownMesh(page, "shapes", first, last, field, option);
    if (!page.figureText.empty())
        return page.figureText.c_str();
    const std::int32_t divX = field.m_nDivX, divY = field.m_nDivY;
    page.shapes = ResonanceShapes(MeshSearch(divX, divY, 1), option, first, last);
    page.shapesDivX = divX;
    page.shapesDivY = divY;
    for (const ModeShape& s : page.shapes)
        page.figureText += std::to_string(s.index) + ',' + Shortest(s.alpha) + ',' +
                           std::to_string(s.kx) + ',' + std::to_string(s.ky) + ',' +
                           Shortest(s.participation) + '\n';
    return page.figureText.c_str();
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
// Its option: 1 where the load has the raised centre peak.
EMSCRIPTEN_KEEPALIVE int membrane_option()
{
    NodalField field;
    bool option = false;
    return ShownField(ThePage(), field, option) && option ? 1 : 0;
}

}  // extern "C"
