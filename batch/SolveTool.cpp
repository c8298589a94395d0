// membrane-solve: the dialog's computation without a window, the resonances of the mesh and
// sweeps over alpha. The road of a run: the arguments are parsed, then one mode runs.
#include "batch/SolveTool.h"

#include "batch/FigureLoader.h"
#include "batch/ToolModes.h"
#include "batch/ToolOptions.h"

int RunSolveTool(std::span<const std::string_view> args, const ToolContext& context)
{
    // 1. Read the command line; --help, --version and errors end the run here.
    const ParsedArguments parsed = ParseArguments(args, context.out, context.err);
    if (!parsed.options)
        return parsed.status;

    // 2. Run the one mode the options choose.
    switch (parsed.options->mode) {
    case ToolMode::Solve:
        return RunSolveMode(*parsed.options, context);
    case ToolMode::Modes:
    case ToolMode::ModesIn:
        return RunModeListMode(*parsed.options, context);
    case ToolMode::Sweep:
        return RunSweepMode(*parsed.options, context);
    case ToolMode::Shape:
        return RunShapeMode(*parsed.options, context);
    case ToolMode::Shapes:
        return RunShapesMode(*parsed.options, context);
    }
    return kExitUsage;
}

int RunSolveTool(std::span<const std::string_view> args, std::FILE* out, std::FILE* err)
{
    return RunSolveTool(args, ToolContext{out, err, DefaultFigureLibrary()});
}
