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
#include "solver/SparseFactor.h"

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

// The form of --solver for a mesh beyond the dialog's; nothing for a bad value.
std::optional<SolverForm> ReadSolverForm(const std::string& text, std::int32_t divY)
{
    if (text == "band")
        return SolverForm::Band;
    if (text == "sparse")
        return SolverForm::Sparse;
    if (text.empty() || text == "auto")
        return SparseIsCheaper(divY) ? SolverForm::Sparse : SolverForm::Band;
    return std::nullopt;
}

// A mesh beyond the dialog's, on a record sized to it, once it is known to fit in memory.
int SolveBeyondTheDialog(const ToolOptions& options, const ToolContext& context,
                         std::int32_t divX, std::int32_t divY, ValueFormat format)
{
    const std::optional<SolverForm> form = ReadSolverForm(options.solver, divY);
    if (!form)
        return ReportBadValue(context, "--solver takes band, sparse or auto, not " +
                                           QuotedText(options.solver));
    if (const std::optional<std::string> large = MeshTooLarge(divX, divY, 1)) {
        std::fprintf(context.err, "membrane-solve: %s\n", large->c_str());
        return kExitRejected;
    }
    const auto record = std::make_unique<SizedRecord>(divX, divY);
    record->m_bOption = options.option ? 1 : 0;
    CollectingSink sink;
    ComputeOutcome outcome;
    {
        const Progress progress(context, "solving " + std::to_string(divX) + " x " +
                                             std::to_string(divY) + " divisions");
        outcome = RunComputeSized(*record, ConvertAlpha(options.alpha), sink, format, *form);
    }
    return WriteSolution(options, context, sink, *record, outcome);
}

}  // namespace

int RunSolveTask(const ToolOptions& options, const ToolContext& context)
{
    if (!options.plotFile.empty())
        return ReportBadValue(context, "--plot draws a sweep or a study: give --sweep or --study");
    const ValueFormat format = options.exact ? ValueFormat::Shortest : ValueFormat::Fixed6;
    const std::int32_t divX = ConvertCount(options.divX), divY = ConvertCount(options.divY);
    if (!options.lenient && CountAccepted(divX) && CountAccepted(divY) &&
        !WithinDialogLimits(divX, divY))
        return SolveBeyondTheDialog(options, context, divX, divY, format);

    if (!options.solver.empty() && options.solver != "band" && options.solver != "auto")
        return ReportBadValue(context, "--solver " + QuotedText(options.solver) + " applies "
                                       "beyond the dialog's 90 x 30 alone; within it the band "
                                       "elimination solves as the dialog does");

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
