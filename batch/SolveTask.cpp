// A single solve: the dialog's computation, its table or list on standard output, and the map,
// the figure, the CSV and the VTK file as asked.
#include "batch/RecordMemory.h"
#include "batch/ToolTasks.h"
#include "batch/ToolSupport.h"
#include "present/FigureTitles.h"

int RunSolveTask(const ToolOptions& options, const ToolContext& context)
{
    // 1. Compute as the dialog does, on a record of its own (about 0.8 MB: not on the stack).
    const RecordPointer record = NewRecord();
    record->m_bOption = options.option ? 1 : 0;
    CollectingSink sink;
    const ComputeOutcome outcome =
        RunCompute(*record, {options.divX, options.divY, options.alpha}, sink,
                   options.exact ? ValueFormat::Shortest : ValueFormat::Fixed6);
    if (outcome == ComputeOutcome::Rejected) {
        for (const std::string& line : sink.lines)
            std::fprintf(context.err, "%s\n", line.c_str());
        return kExitRejected;
    }

    // 2. The table or the list lines, then the files.
    std::string text;
    if (options.list) {
        for (const std::string& line : sink.lines)
            (text += line) += '\n';
    } else {
        text = std::move(sink.table);
    }
    if (!WriteStandardOutput(options, context, text) ||
        !WriteFieldFiles(options, context, *record, SolutionTitle(*record, options.option),
                         &FigureApi::solutionFigure))
        return kExitWriteFailed;
    return outcome == ComputeOutcome::SolvedNonFinite ? ReportNonFinite(context) : kExitSolved;
}
