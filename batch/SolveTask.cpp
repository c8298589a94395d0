// A single solve: the dialog's computation, its table or list on standard output, and the map,
// the figure, the CSV and the VTK file as asked. Within the dialog's limits, or with --lenient,
// on a record as the dialog's; beyond them, on one sized to the mesh.
#include <memory>

#include "batch/RecordMemory.h"
#include "batch/ToolSupport.h"
#include "batch/ToolTasks.h"
#include "command/InputConversion.h"
#include "command/RunArguments.h"
#include "present/FigureTitles.h"

namespace {

// The table or the list lines, then the files, of a solved record.
int WriteSolution(const ToolOptions& options, const ToolContext& context, CollectingSink& sink,
                  const NodalField& field, ComputeOutcome outcome)
{
    std::string text;
    if (options.list) {
        for (const std::string& line : sink.lines)
            (text += line) += '\n';
    } else {
        text = std::move(sink.table);
    }
    if (!WriteStandardOutput(options, context, text) ||
        !WriteFieldFiles(options, context, field, SolutionTitle(field, options.option),
                         &FigureApi::solutionFigure))
        return kExitWriteFailed;
    NoteAccuracy(options, context, field.m_nDivX, field.m_nDivY, field.m_dAlpha);
    return outcome == ComputeOutcome::SolvedNonFinite ? ReportNonFinite(context) : kExitSolved;
}

// A mesh beyond the dialog's, on a record sized to it, once it is known to fit in memory.
int SolveBeyondTheDialog(const ToolOptions& options, const ToolContext& context,
                         std::int32_t divX, std::int32_t divY, ValueFormat format)
{
    if (const std::optional<std::string> large = MeshTooLarge(divX, divY, 1)) {
        std::fprintf(context.err, "membrane-solve: %s\n", large->c_str());
        return kExitRejected;
    }
    const auto record = std::make_unique<SizedRecord>(divX, divY);
    record->m_bOption = options.option ? 1 : 0;
    CollectingSink sink;
    const ComputeOutcome outcome =
        RunComputeSized(*record, ConvertAlpha(options.alpha), sink, format);
    return WriteSolution(options, context, sink, *record, outcome);
}

}  // namespace

int RunSolveTask(const ToolOptions& options, const ToolContext& context)
{
    const ValueFormat format = options.exact ? ValueFormat::Shortest : ValueFormat::Fixed6;
    const std::int32_t divX = ConvertCount(options.divX), divY = ConvertCount(options.divY);
    if (!options.lenient && CountAccepted(divX) && CountAccepted(divY) &&
        !WithinDialogLimits(divX, divY))
        return SolveBeyondTheDialog(options, context, divX, divY, format);

    // 1. Compute as the dialog does, on a record of its own (about 0.8 MB: not on the stack).
    const RecordPointer record = NewRecord();
    record->m_bOption = options.option ? 1 : 0;
    CollectingSink sink;
    const ComputeOutcome outcome =
        RunCompute(*record, {options.divX, options.divY, options.alpha}, sink, format);
    if (outcome == ComputeOutcome::Rejected) {
        for (const std::string& line : sink.lines)
            std::fprintf(context.err, "%s\n", line.c_str());
        return kExitRejected;
    }

    // 2. The table or the list lines, then the files.
    return WriteSolution(options, context, sink, *record, outcome);
}
