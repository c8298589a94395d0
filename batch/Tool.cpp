// membrane-solve: the dialog's computation without a window, the resonances of the mesh and
// sweeps over alpha. The road of a run: the arguments are parsed, then one task runs.
#include "batch/Tool.h"

#include <new>

#include "command/FigureLoader.h"
#include "batch/ToolTasks.h"
#include "batch/ToolOptions.h"
#include "batch/ToolSupport.h"
#include "solver/BandElimination.h"

int RunTool(std::span<const std::string_view> args, const ToolContext& context)
{
    // 1. Read the command line; --help, --version and errors end the run here.
    const ParsedArguments parsed = ParseArguments(args, context.out, context.err);
    if (!parsed.options)
        return parsed.status;

    // 2. Run the one task the options choose.
    return RunParsed(*parsed.options, context);
}

namespace {

int RunTask(const ToolOptions& options, const ToolContext& context)
{
    switch (options.task) {
    case Task::Solve:
        return RunSolveTask(options, context);
    case Task::Modes:
    case Task::ModesIn:
        return RunModeListTask(options, context);
    case Task::Sweep:
        return RunSweepTask(options, context);
    case Task::Shape:
        return RunShapeTask(options, context);
    case Task::Shapes:
        return RunShapesTask(options, context);
    case Task::SolutionStudy:
    case Task::ResonanceStudy:
        return RunStudyTask(options, context);
    }
    return kExitUsage;
}

}  // namespace

int RunParsed(const ToolOptions& options, const ToolContext& context)
{
    if (const std::optional<std::string> fault = EliminationRequestFault()) {
        std::fprintf(context.err, "membrane-solve: %s\n", fault->c_str());
        return kExitUsage;
    }
    // The memory refusal weighs a mesh against the machine before anything is allocated; what
    // a process limit (ulimit -v) or other processes then withhold ends the run in one line,
    // with the same status, instead of an abort.
    try {
        return RunTask(options, context);
    } catch (const std::bad_alloc&) {
        return ReportAllocationFailure(options, context);
    }
}

int RunTool(std::span<const std::string_view> args, std::FILE* out, std::FILE* err)
{
    return RunTool(args, ToolContext{out, err, DefaultFigureLibrary()});
}
