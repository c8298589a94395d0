// membrane-solve: the dialog's computation without a window. One solve writes the table (or the
// list lines) and, as asked, the colour map, a figure, CSV and VTK files; the resonance modes
// list resonant alphas or sweep alpha with a full solve at every point.
#include "batch/SolveTool.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <QImage>
#include <QPainter>

#include "batch/OutputFile.h"
#include "batch/SweepPlot.h"
#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "command/Sweep.h"
#include "present/ColorMap.h"
#include "present/ColorMapPainter.h"
#include "present/MapFigure.h"
#include "present/NodeExport.h"
#include "present/ReportText.h"
#include "solver/Resonance.h"

namespace {

constexpr const char* kUsage =
    "usage: membrane-solve [--divx TEXT] [--divy TEXT] [--alpha TEXT] [--option on|off]\n"
    "                      [--list] [--exact] [--map FILE.png] [--figure FILE.png]\n"
    "                      [--csv FILE] [--vtk FILE]\n"
    "       membrane-solve (--modes N | --modes-in A0:A1) [--divx TEXT] [--divy TEXT]\n"
    "                      [--threads N]\n"
    "       membrane-solve --sweep A0:A1:N [--plot FILE.png] [--divx TEXT] [--divy TEXT]\n"
    "                      [--option on|off] [--threads N]\n"
    "       membrane-solve --help\n";

constexpr const char* kHelp =
    "\n"
    "Solves the vibrating membrane as the dialog does and writes the table of nodal values\n"
    "(a tab after every cell, a line feed after every line) to standard output.\n"
    "\n"
    "  --divx TEXT      divisions along x, as typed into the dialog (default \" 90\")\n"
    "  --divy TEXT      divisions along y (default \" 30\")\n"
    "  --alpha TEXT     alpha (default \" 5.0\")\n"
    "  --option on|off  raised centre peak on the left edge (default on)\n"
    "  --list           write the report list lines instead of the table\n"
    "  --exact          write each value as the shortest text that reads back to the same double\n"
    "  --map FILE.png   also write the colour map as a PNG image, one cell per node as the dialog\n"
    "                   paints it\n"
    "  --figure FILE.png  also write a figure of the solution for a report: the field on the\n"
    "                   domain with axes, a colour bar with the lowest and highest value, a title\n"
    "  --csv FILE       also write one row per node: node,i,j,x,y,w (x = 15 i / divx,\n"
    "                   y = 5 j / divy; numbers as the shortest text that reads back the same)\n"
    "  --vtk FILE       also write the nodes as a VTK rectilinear grid (legacy format, binary)\n"
    "                   with the point data w, for ParaView and VTK\n"
    "  --help           show this text\n"
    "\n"
    "Resonances. Where alpha squared is an eigenvalue of the membrane with its left and right\n"
    "edges fixed, the system is singular and the values grow without bound. These modes find\n"
    "such alphas on the mesh of --divx and --divy (1..90 and 1..30; --alpha and the option do not\n"
    "change the matrix), by bisection on the signs of the elimination's pivots, each to 1e-12\n"
    "relative or to adjacent doubles. Numbers are written as the shortest text that reads back\n"
    "to the same double.\n"
    "\n"
    "  --modes N         the N lowest resonant alphas, with multiplicity, as \"index<TAB>alpha\"\n"
    "  --modes-in A0:A1  every resonant alpha from A0 to A1, in the same form\n"
    "  --sweep A0:A1:N   N >= 2 alphas from A0 to A1, each a full solve of the mesh and option,\n"
    "                    as CSV: alpha,max_abs_w,modes_below,first_zero_pivot (the number of\n"
    "                    resonant alphas between 0 and |alpha|, and the first row whose pivot\n"
    "                    is zero or not finite, 0 for none)\n"
    "  --plot FILE.png   with --sweep: a figure of max |W| against alpha, resonances marked\n"
    "  --threads N       threads for the modes and the sweep (default: every processor)\n"
    "\n"
    "  $ membrane-solve --divx 2 --divy 1 --modes 2\n"
    "  1\t0.2309401076758\n"
    "  2\t0.7302967433404\n"
    "  $ membrane-solve --divx 2 --divy 1 --modes-in 0.5:1\n"
    "  2\t0.7302967433404\n"
    "  $ membrane-solve --divx 2 --divy 1 --option off --sweep 0:1:5\n"
    "  alpha,max_abs_w,modes_below,first_zero_pivot\n"
    "  0,1,0,0\n"
    "  0.25,4.613636363636355,1,0\n"
    "  0.5,1,1,0\n"
    "  0.75,1,2,0\n"
    "  1,1,2,0\n"
    "\n"
    "Exit status: 0 solved; 1 inputs rejected; 2 usage error or bad input; 3 some value not\n"
    "finite (also at a sweep point); 4 output could not be written. Files are written whole or\n"
    "not at all: each goes to a temporary name beside it and is renamed when complete.\n";

enum class Mode { Solve, Modes, ModesIn, Sweep };

struct Options {
    std::string divX{kDefaultInputs.divX};
    std::string divY{kDefaultInputs.divY};
    std::string alpha{kDefaultInputs.alpha};
    bool option = true;
    bool list = false;
    bool exact = false;
    std::string mapFile;
    std::string figureFile;
    std::string csvFile;
    std::string vtkFile;

    Mode mode = Mode::Solve;
    std::string modeArg;  // the value of --modes, --modes-in or --sweep
    std::string plotFile;
    std::string threads;
};

int UsageError(std::FILE* err, const std::string& message)
{
    std::fprintf(err, "membrane-solve: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

// Bad values of the resonance options: one line, no usage text.
int BadInput(std::FILE* err, const std::string& message)
{
    std::fprintf(err, "membrane-solve: %s\n", message.c_str());
    return kExitUsage;
}

bool TakesValue(std::string_view arg)
{
    for (std::string_view name : {"--divx", "--divy", "--alpha", "--option", "--map", "--figure",
                                  "--csv", "--vtk", "--modes", "--modes-in", "--sweep", "--plot",
                                  "--threads"})
        if (arg == name)
            return true;
    return false;
}

// Parses the arguments into options; returns -1 to go on, or the exit status to end with.
int ParseArguments(std::span<const std::string_view> args, Options& options, std::FILE* out,
                   std::FILE* err)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::string_view value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        const bool takesValue = TakesValue(arg);
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size())
                return UsageError(err, "missing value for " + std::string(arg));
            value = args[++i];
        } else if (!takesValue && hasValue) {
            return UsageError(err, "no value expected for " + std::string(arg));
        }

        if (arg == "--divx") {
            options.divX = value;
        } else if (arg == "--divy") {
            options.divY = value;
        } else if (arg == "--alpha") {
            options.alpha = value;
        } else if (arg == "--option") {
            if (value != "on" && value != "off")
                return UsageError(err, "--option takes on or off, not '" + std::string(value) + "'");
            options.option = value == "on";
        } else if (arg == "--map" || arg == "--figure" || arg == "--csv" || arg == "--vtk") {
            if (value.empty())
                return UsageError(err, "missing file name for " + std::string(arg));
            (arg == "--map"      ? options.mapFile
             : arg == "--figure" ? options.figureFile
             : arg == "--csv"    ? options.csvFile
                                 : options.vtkFile) = value;
        } else if (arg == "--modes" || arg == "--modes-in" || arg == "--sweep") {
            if (options.mode != Mode::Solve)
                return BadInput(err, "--modes, --modes-in and --sweep exclude each other");
            options.mode = arg == "--modes" ? Mode::Modes
                           : arg == "--sweep" ? Mode::Sweep
                                              : Mode::ModesIn;
            options.modeArg = value;
        } else if (arg == "--plot") {
            if (value.empty())
                return UsageError(err, "missing file name for --plot");
            options.plotFile = value;
        } else if (arg == "--threads") {
            options.threads = value;
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--exact") {
            options.exact = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, out);
            std::fputs(kHelp, out);
            return kExitSolved;
        } else {
            return UsageError(err, "unknown option '" + std::string(arg) + "'");
        }
    }
    if (options.mode == Mode::Solve && !options.plotFile.empty())
        return BadInput(err, "--plot draws a sweep; it needs --sweep");
    if (options.mode == Mode::Solve && !options.threads.empty())
        return BadInput(err, "--threads applies to --modes, --modes-in and --sweep");
    if (options.mode != Mode::Solve &&
        (options.list || options.exact || !options.mapFile.empty() || !options.figureFile.empty() ||
         !options.csvFile.empty() || !options.vtkFile.empty()))
        return BadInput(err, "--list, --exact, --map, --figure, --csv and --vtk apply to a single "
                             "solve, not to --modes, --modes-in or --sweep");
    if (options.mode != Mode::Sweep && options.mode != Mode::Solve && !options.plotFile.empty())
        return BadInput(err, "--plot draws a sweep; it needs --sweep");
    return -1;
}

// Strict readings of the resonance options' numbers: the whole text, in the C locale.
std::optional<long long> ReadWhole(std::string_view text)
{
    if (text.starts_with('+'))
        text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<double> ReadFinite(std::string_view text)
{
    if (text.starts_with('+'))
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string Shortest(double v)
{
    std::string s;
    AppendValue(s, v, ValueFormat::Shortest);
    return s;
}

bool WriteAll(std::FILE* out, const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
}

int WriteFailed(std::FILE* err)
{
    std::fprintf(err, "membrane-solve: cannot write to standard output\n");
    return kExitWriteFailed;
}

int FileFailed(std::FILE* err, const std::string& file)
{
    std::fprintf(err, "membrane-solve: cannot write %s\n", file.c_str());
    return kExitWriteFailed;
}

// A run that wrote everything but solved to a value that is not finite.
int NonFinite(std::FILE* err)
{
    std::fprintf(err, "%s\n", std::string(kNonFiniteLine).c_str());
    return kExitNonFinite;
}

// The block of cells alone, node 1 at the bottom left.
QImage MapImage(const MembraneModel& model)
{
    QImage image(MapBlockWidth(model), MapBlockHeight(model), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintColorMap(painter, model, 0, image.height());
    painter.end();
    return image;
}

std::string SolutionTitle(const Options& options, const MembraneModel& model)
{
    return "W on the membrane: " + std::to_string(model.m_nDivX) + " x " +
           std::to_string(model.m_nDivY) + " divisions, alpha " + Shortest(model.m_dAlpha) +
           ", option " + (options.option ? "on" : "off");
}

// The files of a solve, in the order of the options' help; the first that cannot be written
// ends the run.
int WriteFiles(const Options& options, const MembraneModel& model, std::FILE* err)
{
    if (!options.mapFile.empty() && !SaveImage(MapImage(model), options.mapFile))
        return FileFailed(err, options.mapFile);
    if (!options.figureFile.empty()) {
        const OffscreenGui gui;
        if (!SaveImage(MapFigure(model, SolutionTitle(options, model)), options.figureFile))
            return FileFailed(err, options.figureFile);
    }
    if (!options.csvFile.empty() && !SaveBytes(NodeCsv(model), options.csvFile))
        return FileFailed(err, options.csvFile);
    if (!options.vtkFile.empty() &&
        !SaveBytes(RectilinearVtk(model, SolutionTitle(options, model)), options.vtkFile))
        return FileFailed(err, options.vtkFile);
    return kExitSolved;
}

int RunSingleSolve(const Options& options, std::FILE* out, std::FILE* err)
{
    const auto model = std::make_unique<MembraneModel>();  // about 0.8 MB: not on the stack
    model->m_bOption = options.option ? 1 : 0;
    CollectingSink sink;
    const ComputeOutcome outcome =
        RunCompute(*model, {options.divX, options.divY, options.alpha}, sink,
                   options.exact ? ValueFormat::Shortest : ValueFormat::Fixed6);

    if (outcome == ComputeOutcome::Rejected) {
        for (const std::string& line : sink.lines)
            std::fprintf(err, "%s\n", line.c_str());
        return kExitRejected;
    }

    std::string text;
    if (options.list) {
        for (const std::string& line : sink.lines) {
            text += line;
            text += '\n';
        }
    } else {
        text = std::move(sink.table);
    }
    if (!WriteAll(out, text))
        return WriteFailed(err);
    if (const int status = WriteFiles(options, *model, err); status != kExitSolved)
        return status;
    return outcome == ComputeOutcome::SolvedNonFinite ? NonFinite(err) : kExitSolved;
}

// What the resonance modes share: the mesh, checked against its limits, and the threads.
int SetUpResonance(const Options& options, ModeSearch& setup, std::FILE* err)
{
    setup.divX = ConvertCount(options.divX);
    setup.divY = ConvertCount(options.divY);
    if (setup.divX < 1 || setup.divX > MembraneModel::kMaxDivX || setup.divY < 1 ||
        setup.divY > MembraneModel::kMaxDivY)
        return BadInput(err, "the mesh needs 1..90 divisions along x and 1..30 along y, not " +
                                 std::to_string(setup.divX) + " x " + std::to_string(setup.divY));
    setup.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (!options.threads.empty()) {
        const std::optional<long long> n = ReadWhole(options.threads);
        if (!n || *n < 1 || *n > 1024)
            return BadInput(err, "--threads takes a whole number from 1 to 1024, not '" +
                                     options.threads + "'");
        setup.threads = static_cast<int>(*n);
    }
    return -1;
}

// A0:A1 (parts == 2) or A0:A1:N (parts == 3); the bounds finite, A0 <= A1.
int ReadRange(std::string_view name, std::string_view text, int parts, double& a0, double& a1,
              std::string& rest, std::FILE* err)
{
    const std::string form = parts == 2 ? "A0:A1" : "A0:A1:N";
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string_view::npos)
            break;
        start = colon + 1;
    }
    if (static_cast<int>(fields.size()) != parts)
        return BadInput(err, std::string(name) + " takes " + form + ", not '" + std::string(text) + "'");
    const std::optional<double> lo = ReadFinite(fields[0]);
    const std::optional<double> hi = ReadFinite(fields[1]);
    if (!lo || !hi)
        return BadInput(err, std::string(name) + " takes finite numbers as bounds, not '" +
                                 std::string(text) + "'");
    if (*lo > *hi)
        return BadInput(err, std::string(name) + " needs A0 <= A1, not " + Shortest(*lo) + " > " +
                                 Shortest(*hi));
    a0 = *lo;
    a1 = *hi;
    if (parts == 3)
        rest = fields[2];
    return -1;
}

std::string ModeLine(std::int32_t index, double alpha)
{
    return std::to_string(index) + '\t' + Shortest(alpha) + '\n';
}

int RunModes(const Options& options, std::FILE* out, std::FILE* err)
{
    ModeSearch setup;
    if (const int status = SetUpResonance(options, setup, err); status >= 0)
        return status;
    const std::optional<long long> n = ReadWhole(options.modeArg);
    if (!n || *n < 1)
        return BadInput(err, "--modes takes a whole number from 1 up, not '" + options.modeArg + "'");
    const std::int32_t available = ModeCount(setup.divX, setup.divY);
    if (*n > available)
        return BadInput(err, "--modes " + std::to_string(*n) + ": the " +
                                 std::to_string(setup.divX) + " x " + std::to_string(setup.divY) +
                                 " mesh has " + std::to_string(available) +
                                 " resonances, one per node off the fixed edges");
    const std::vector<double> modes = FindModes(setup, 1, static_cast<std::int32_t>(*n));
    std::string text;
    for (std::size_t k = 0; k < modes.size(); ++k)
        text += ModeLine(static_cast<std::int32_t>(k + 1), modes[k]);
    return WriteAll(out, text) ? kExitSolved : WriteFailed(err);
}

int RunModesIn(const Options& options, std::FILE* out, std::FILE* err)
{
    ModeSearch setup;
    if (const int status = SetUpResonance(options, setup, err); status >= 0)
        return status;
    double a0 = 0.0, a1 = 0.0;
    std::string unused;
    if (const int status = ReadRange("--modes-in", options.modeArg, 2, a0, a1, unused, err);
        status >= 0)
        return status;
    std::string text;
    for (const ResonanceInInterval& r : FindModesIn(setup, a0, a1))
        text += ModeLine(r.index, r.alpha);
    return WriteAll(out, text) ? kExitSolved : WriteFailed(err);
}

std::string SweepTitle(const ModeSearch& setup, bool option)
{
    return "Largest |W| against alpha: " + std::to_string(setup.divX) + " x " +
           std::to_string(setup.divY) + " divisions, option " + (option ? "on" : "off");
}

int RunSweepMode(const Options& options, std::FILE* out, std::FILE* err)
{
    ModeSearch setup;
    if (const int status = SetUpResonance(options, setup, err); status >= 0)
        return status;
    double a0 = 0.0, a1 = 0.0;
    std::string count;
    if (const int status = ReadRange("--sweep", options.modeArg, 3, a0, a1, count, err); status >= 0)
        return status;
    const std::optional<long long> n = ReadWhole(count);
    if (!n || *n < 2)
        return BadInput(err, "--sweep takes at least 2 points, not '" + count + "'");

    // Solved and written block by block, so that a long sweep needs little memory.
    const SweepMesh mesh{setup.divX, setup.divY, options.option};
    const bool plot = !options.plotFile.empty();
    std::vector<SweepPoint> all;
    bool nonFinite = false;
    if (!WriteAll(out, "alpha,max_abs_w,modes_below,first_zero_pivot\n"))
        return WriteFailed(err);
    const std::int64_t block = 64LL * setup.threads;
    for (std::int64_t first = 0; first < *n; first += block) {
        const std::vector<SweepPoint> points =
            RunSweep(mesh, a0, a1, *n, first, std::min<std::int64_t>(block, *n - first), setup.threads);
        std::string text;
        for (const SweepPoint& p : points) {
            text += Shortest(p.alpha) + ',' + Shortest(p.maxAbsW) + ',' +
                    std::to_string(p.modesBelow) + ',' + std::to_string(p.firstZeroPivot) + '\n';
            nonFinite = nonFinite || !std::isfinite(p.maxAbsW);
        }
        if (!WriteAll(out, text))
            return WriteFailed(err);
        if (plot)
            all.insert(all.end(), points.begin(), points.end());
    }

    if (plot) {
        // The lines need only the plot's resolution, and the sweep's own counts bracket them.
        ModeSearch search = setup;
        search.tolerance = SweepPlotResolution(a0, a1);
        for (const SweepPoint& p : all)
            search.known.push_back({std::fabs(p.alpha), p.modesBelow});
        const std::vector<ResonanceInInterval> resonances = FindModesIn(search, a0, a1);
        const OffscreenGui gui;
        if (!SaveImage(SweepPlot(all, resonances, SweepTitle(setup, options.option)),
                       options.plotFile))
            return FileFailed(err, options.plotFile);
    }
    return nonFinite ? NonFinite(err) : kExitSolved;
}

}  // namespace

int RunSolveTool(std::span<const std::string_view> args, std::FILE* out, std::FILE* err)
{
    Options options;
    if (const int status = ParseArguments(args, options, out, err); status >= 0)
        return status;
    switch (options.mode) {
    case Mode::Modes:
        return RunModes(options, out, err);
    case Mode::ModesIn:
        return RunModesIn(options, out, err);
    case Mode::Sweep:
        return RunSweepMode(options, out, err);
    case Mode::Solve:
        break;
    }
    return RunSingleSolve(options, out, err);
}
