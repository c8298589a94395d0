// The option table of membrane-solve, its parser, and the usage and help made from it.
#include "batch/ToolOptions.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "batch/Tool.h"
#include "command/OutputFile.h"
#include "present/FigureApi.h"

namespace {

constexpr TaskSet kSolve = TaskBit(Task::Solve);
constexpr TaskSet kModes = TaskBit(Task::Modes);
constexpr TaskSet kModesIn = TaskBit(Task::ModesIn);
constexpr TaskSet kSweep = TaskBit(Task::Sweep);
constexpr TaskSet kShape = TaskBit(Task::Shape);
constexpr TaskSet kShapes = TaskBit(Task::Shapes);
constexpr TaskSet kResonance = kModes | kModesIn | kSweep | kShape | kShapes;
constexpr TaskSet kMesh = kSolve | kResonance;
constexpr TaskSet kSolutionStudy = TaskBit(Task::SolutionStudy);
constexpr TaskSet kResonanceStudy = TaskBit(Task::ResonanceStudy);
constexpr TaskSet kStudies = kSolutionStudy | kResonanceStudy;
constexpr TaskSet kNodalValues = kSolve | kShape;  // the tasks that write one field

constexpr std::string_view kProgram = "membrane-solve";

void PrintHelp(std::FILE* out)
{
    const std::string help = HelpText();
    std::fwrite(help.data(), 1, help.size(), out);
}

void PrintVersion(std::FILE* out)
{
    std::fprintf(out, "%s %s\n", kProgram.data(), MEMBRANE_VERSION);
}

using enum ValueKind;
using enum HelpGroup;

const OptionRow kOptions[] = {
    {.name = "--divx", .placeholder = "N", .kind = Text, .tasks = kMesh,
     .text = &ToolOptions::divX,
     .help = "divisions along x, a whole number from 1 up, blanks around it allowed (default "
             "90)"},
    {.name = "--divy", .placeholder = "N", .kind = Text, .tasks = kMesh,
     .text = &ToolOptions::divY, .help = "divisions along y, read alike (default 30)"},
    {.name = "--alpha", .placeholder = "A", .kind = Text, .tasks = kSolve | kSolutionStudy,
     .text = &ToolOptions::alpha,
     .help = "alpha, a finite decimal number with a decimal point (default 5.0)"},
    {.name = "--option", .placeholder = "on|off", .kind = OnOff, .tasks = kMesh | kSolutionStudy,
     .flag = &ToolOptions::option,
     .help = "raised centre peak on the left edge (default on); for the resonances, the load "
             "whose participation they show"},
    {.name = "--lenient", .kind = Switch, .tasks = kSolve, .flag = &ToolOptions::lenient,
     .help = "read --divx, --divy and --alpha as the dialog reads its fields (blanks skipped, "
             "trailing text ignored, no number meaning 0) within the dialog's limits, at most 90 "
             "divisions along x and 30 along y, refused with the dialog's own messages; without "
             "it any mesh that fits in half of the memory is solved, beyond 90 x 30 on storage "
             "sized to it"},
    {.name = "--solver", .placeholder = "band|sparse|separable|auto", .kind = Text,
     .tasks = kSolve, .text = &ToolOptions::solver,
     .help = "beyond the dialog's 90 x 30: the band elimination, or a sparse LDL^T with a "
             "fill-reducing ordering, or the separable solver (fast diagonalisation by FFTW's "
             "sine and cosine transforms, no band, memory in proportion to the mesh), or the band "
             "or sparse form, the faster for the mesh (default auto); within it the band "
             "elimination alone, bit for bit"},
    {.name = "--scheme", .placeholder = "standard|low-dispersion", .kind = Text,
     .tasks = kMesh | kStudies, .text = &ToolOptions::scheme,
     .help = "the element's integrals: standard, the dialog's exact 2 x 2 Gauss rule, or "
             "low-dispersion, both at +-sqrt(2/3), whose phase error falls as h^4 instead of h^2 "
             "on the same mesh and stencil, its resonances from below (default standard); with "
             "--study also both, to compare them"},
    {.name = "--quiet", .kind = Switch, .tasks = kSolve | kShape | kSweep,
     .flag = &ToolOptions::quiet,
     .help = "no notes on standard error: without it a solve says when alpha lies within 1e-6 "
             "of a resonance of the mesh, and a solve, a shape or a sweep when the mesh has fewer "
             "than 10 points per wavelength at alpha (with the phase error a wavelength and a "
             "mesh fine enough)"},
    {.name = "--list", .kind = Switch, .tasks = kSolve, .flag = &ToolOptions::list,
     .help = "write the report list lines instead of the table"},
    {.name = "--exact", .kind = Switch, .tasks = kNodalValues, .flag = &ToolOptions::exact,
     .help = "write each value as the shortest text that reads back to the same double"},
    {.name = "--map", .placeholder = "FILE.png", .kind = File, .tasks = kNodalValues,
     .text = &ToolOptions::mapFile, .figure = true,
     .help = "also write the colour map as a PNG image, one cell per node as the dialog paints "
             "it"},
    {.name = "--figure", .placeholder = "FILE.png", .kind = File, .tasks = kNodalValues | kShapes,
     .text = &ToolOptions::figureFile, .figure = true,
     .help = "also write a figure of the solution for a report: the field on the domain with "
             "axes, a colour bar with the lowest and highest value, a title; with --shapes, the "
             "figure of the shapes"},
    {.name = "--csv", .placeholder = "FILE", .kind = File, .tasks = kNodalValues,
     .text = &ToolOptions::csvFile,
     .help = "also write one row per node: node,i,j,x,y,w (x = 15 i / divx, y = 5 j / divy; "
             "numbers as the shortest text that reads back the same)"},
    {.name = "--vtk", .placeholder = "FILE", .kind = File, .tasks = kNodalValues,
     .text = &ToolOptions::vtkFile,
     .help = "also write the nodes as a VTK rectilinear grid (legacy format, binary) with the "
             "point data w, for ParaView and VTK"},
    {.name = "--help", .shortName = "-h", .kind = Action, .action = PrintHelp,
     .help = "show this text"},
    {.name = "--version", .kind = Action, .action = PrintVersion,
     .help = "show the version of membrane-solve"},

    {.name = "--modes", .placeholder = "N", .kind = ValueKind::TaskChoice, .tasks = kModes, .group = Resonance,
     .help = "the N lowest resonant alphas, with multiplicity, as \"index<TAB>alpha\""},
    {.name = "--modes-in", .placeholder = "A0:A1", .kind = ValueKind::TaskChoice, .tasks = kModesIn,
     .group = Resonance, .help = "every resonant alpha from A0 to A1, in the same form"},
    {.name = "--sweep", .placeholder = "A0:A1:N", .kind = ValueKind::TaskChoice, .tasks = kSweep,
     .group = Resonance,
     .help = "N alphas (2 <= N <= 1000000) from A0 to A1, each a full solve of the mesh and "
             "option, as CSV: "
             "alpha,max_abs_w,modes_below,first_zero_pivot (the number of resonant alphas "
             "between 0 and |alpha|, and the first row whose pivot is zero or not finite, 0 for "
             "none)"},
    {.name = "--plot", .placeholder = "FILE.png", .kind = File, .tasks = kSweep | kStudies,
     .text = &ToolOptions::plotFile, .figure = true, .group = Resonance,
     .help = "with --sweep: a figure of max |W| against alpha, the resonances marked: plain "
             "where the load excites them, dashed where it does not; with --study: the errors "
             "against h on logarithmic axes, with guides of order 1 and 2, of 2 and 4 for the "
             "low-dispersion scheme, each scheme a family of lines with --scheme both (the first "
             "six resonances of a resonance study)"},
    {.name = "--details", .kind = Switch, .tasks = kModes | kModesIn, .flag = &ToolOptions::details,
     .group = Resonance,
     .help = "with --modes or --modes-in: CSV instead, "
             "index,alpha,kx,ky,participation,alpha_continuum (the half-waves of the shape along "
             "x and y, how much the load of the option excites it, and the continuous "
             "membrane's alpha for the same half-waves)"},
    {.name = "--shape", .placeholder = "K", .kind = ValueKind::TaskChoice, .tasks = kShape, .group = Resonance,
     .help = "the shape of the K-th resonance (numbered as --modes numbers them), its nodal "
             "values as a single solve writes them: the table, or with --exact, --csv, --vtk, "
             "--map; --figure on a scale from blue (negative) through white to red"},
    {.name = "--shapes", .placeholder = "N", .kind = ValueKind::TaskChoice, .tasks = kShapes, .group = Resonance,
     .help = "with --figure FILE.png: a figure of the N lowest shapes (1 <= N <= 36) side by "
             "side on one scale, each with its index, (kx, ky) and alpha"},
    {.name = "--study", .kind = Switch, .tasks = kStudies, .flag = &ToolOptions::study,
     .group = Resonance,
     .help = "how close the mesh comes to the membrane itself, as CSV, on a ladder of ever finer "
             "meshes: with --alpha and the option off, the solution's largest nodal error, L2 "
             "and H1-seminorm errors against the continuum's sin(alpha (15 - x)) / sin(15 "
             "alpha); with --modes N, the N lowest resonances against the continuum's; each with "
             "the order it shows against the mesh before"},
    {.name = "--ladder", .placeholder = "DXxDY,...", .kind = Text, .tasks = kStudies,
     .text = &ToolOptions::ladder, .group = Resonance,
     .help = "with --study: the meshes, each finer than the last (default "
             "15x5,30x10,60x20,120x40,240x80)"},
    {.name = "--threads", .placeholder = "N", .kind = Text, .tasks = kResonance | kResonanceStudy,
     .text = &ToolOptions::threads, .group = Resonance,
     .help = "threads for the resonances, the shapes and the sweep (default: every processor)"},
};

bool TakesValue(ValueKind kind)
{
    return kind == Text || kind == OnOff || kind == File || kind == ValueKind::TaskChoice;
}

// "a single solve", "--modes", ...
std::string TaskName(Task task)
{
    std::string name;
    for (const OptionRow* chooser : TaskChoosers(task)) {
        if (!name.empty())
            name += ' ';
        name += chooser->name;
    }
    return name.empty() ? "a single solve" : name;
}

// The task of a run that gave --study: the study of a solve, or of the resonances of --modes.
std::optional<Task> StudyOf(Task task)
{
    if (task == Task::Solve)
        return Task::SolutionStudy;
    if (task == Task::Modes)
        return Task::ResonanceStudy;
    return std::nullopt;
}

// "--modes, --modes-in and --sweep"
std::string ListOfTasks(TaskSet tasks)
{
    std::vector<std::string> names;
    for (Task task : kTasks)
        if (tasks & TaskBit(task))
            names.push_back(TaskName(task));
    std::string text;
    for (std::size_t k = 0; k < names.size(); ++k)
        text += (k == 0 ? "" : k + 1 == names.size() ? " and " : ", ") + names[k];
    return text;
}

ParsedArguments EndWithUsageError(std::FILE* err, const std::string& message)
{
    std::fprintf(err, "%s: %s\n%s", kProgram.data(), message.c_str(), UsageText().c_str());
    return {std::nullopt, kExitUsage};
}

ParsedArguments EndWithBadValue(std::FILE* err, const std::string& message)
{
    std::fprintf(err, "%s: %s\n", kProgram.data(), message.c_str());
    return {std::nullopt, kExitUsage};
}

}  // namespace

std::span<const OptionRow> OptionTable()
{
    return kOptions;
}

const OptionRow* FindOption(std::string_view name)
{
    for (const OptionRow& row : kOptions)
        if (row.name == name || (!row.shortName.empty() && row.shortName == name))
            return &row;
    return nullptr;
}

const OptionRow* TaskOption(Task task)
{
    const Task chosen = task == Task::ResonanceStudy ? Task::Modes : task;
    if (task == Task::SolutionStudy)
        return FindOption("--study");
    for (const OptionRow& row : kOptions)
        if (row.kind == ValueKind::TaskChoice && row.tasks == TaskBit(chosen))
            return &row;
    return nullptr;
}

std::vector<const OptionRow*> TaskChoosers(Task task)
{
    if (task == Task::ResonanceStudy)
        return {FindOption("--study"), FindOption("--modes")};
    if (const OptionRow* chooser = TaskOption(task))
        return {chooser};
    return {};
}

namespace {

// Takes the value of one option into the options; where the run ends there (an action, a bad
// value), how it ends.
std::optional<ParsedArguments> TakeOption(const OptionRow& row, std::string_view value,
                                          ToolOptions& options, const OptionRow*& chooser,
                                          std::FILE* out, std::FILE* err)
{
    switch (row.kind) {
    case Switch:
        options.*row.flag = true;
        break;
    case Text:
        options.*row.text = value;
        break;
    case OnOff:
        if (value != "on" && value != "off")
            return EndWithUsageError(err, std::string(row.name) + " takes on or off, not " +
                                              QuotedText(value));
        options.*row.flag = value == "on";
        break;
    case File:
        if (value.empty())
            return EndWithUsageError(err, "missing file name for " + std::string(row.name));
        if (row.figure && !FigureFormatOf(value))
            return EndWithBadValue(err, std::string(row.name) + " writes .png, .pdf or .svg "
                                        "by the file name's extension, not " +
                                        QuotedText(value));
        options.*row.text = value;
        break;
    case ValueKind::TaskChoice:
        if (chooser && chooser != &row)
            return EndWithBadValue(err, ListOfTasks(kResonance) + " exclude each other");
        chooser = &row;
        for (Task task : kTasks)
            if (row.tasks == TaskBit(task))
                options.task = task;
        options.taskValue = value;
        break;
    case Action:
        row.action(out);
        return ParsedArguments{std::nullopt, kExitSolved};
    }
    return std::nullopt;
}

// The options given, checked together: --study turns a solve or --modes into its study, every
// option must apply to the task, and one output at most goes to standard output.
ParsedArguments CheckTogether(ToolOptions options, const std::vector<const OptionRow*>& given,
                              std::FILE* err)
{
    if (options.study) {
        const std::optional<Task> study = StudyOf(options.task);
        if (!study)
            return EndWithBadValue(err, "--study studies a single solve or --modes, not " +
                                            TaskName(options.task));
        options.task = *study;
    }
    int toStandardOutput = 0;
    const std::vector<const OptionRow*> choosers = TaskChoosers(options.task);
    for (const OptionRow* row : given) {
        if (std::find(choosers.begin(), choosers.end(), row) != choosers.end())
            continue;
        if (!(row->tasks & TaskBit(options.task)))
            return EndWithBadValue(err, std::string(row->name) + " applies to " +
                                            ListOfTasks(row->tasks) + ", not to " +
                                            TaskName(options.task));
        if (row->kind == File && options.*row->text == "-")
            ++toStandardOutput;
    }
    if (toStandardOutput > 1)
        return EndWithUsageError(err, "only one output can go to standard output (-)");
    // Two outputs that end in one file would leave only the second: refused before a solve.
    for (auto one = given.begin(); one != given.end(); ++one) {
        if ((*one)->kind != File)
            continue;
        for (auto other = std::next(one); other != given.end(); ++other)
            if ((*other)->kind == File &&
                OutputsShareAFile(options.*(*one)->text, options.*(*other)->text))
                return EndWithBadValue(err, std::string((*one)->name) + " and " +
                                                std::string((*other)->name) +
                                                " name the same file " +
                                                QuotedText(options.*(*other)->text) +
                                                "; give each output a file of its own");
    }
    return {std::move(options), kExitSolved};
}

}  // namespace

ParsedArguments ParseArguments(std::span<const std::string_view> args, std::FILE* out,
                               std::FILE* err)
{
    ToolOptions options;
    std::vector<const OptionRow*> given;
    const OptionRow* chooser = nullptr;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::string_view value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        const OptionRow* row = FindOption(name);
        if (!row)
            return EndWithUsageError(err, "unknown option " + QuotedText(name));
        // A second value would silently replace the first: an output file lost, above all.
        if (std::find(given.begin(), given.end(), row) != given.end())
            return EndWithBadValue(err, std::string(row->name) + " is given twice; give it once");
        if (TakesValue(row->kind) && !inlineValue) {
            if (i + 1 >= args.size())
                return EndWithUsageError(err, "missing value for " + std::string(row->name));
            value = args[++i];
        } else if (!TakesValue(row->kind) && inlineValue) {
            return EndWithUsageError(err, "no value expected for " + std::string(row->name));
        }
        if (std::optional<ParsedArguments> ended =
                TakeOption(*row, value, options, chooser, out, err))
            return std::move(*ended);
        given.push_back(row);
    }
    return CheckTogether(std::move(options), given, err);
}
