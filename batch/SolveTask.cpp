// A single solve: the dialog's computation, its table or list on standard output, and the map,
// the figure, the CSV and the VTK file as asked. Within the dialog's limits, or with --lenient,
// on a record as the dialog's; beyond them, on one sized to the mesh.
#include <memory>

#include "batch/RecordMemory.h"
#include "batch/ToolSupport.h"
#include "batch/ToolTasks.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "present/FigureTitles.h"
#include "solver/ShiftedFactor.h"
#include "solver/SparseFactor.h"

namespace {

// The notes of a solve on standard error, unless --quiet: a resonance of the mesh within 1e-6 of
// alpha, found by the solve's own inertia, and a mesh too coarse for alpha.
void NoteSolve(const ToolOptions& options, const ToolContext& context, std::int32_t divX,
               std::int32_t divY, double alpha, const BandInertia& inertia, std::int32_t below)
{
    if (options.quiet)
        return;
    if (inertia.firstBadRow == 0)
        if (const std::optional<std::string> note =
                NearResonanceNote(divX, divY, alpha, below))
            ReportNote(context, *note);
    NoteAccuracy(options, context, divX, divY, alpha);
}

// The table or the list lines, then the files, then the notes, of a solved record whose factors
// have the inertia given; `below` counts the resonances below |alpha| from it.
int WriteSolution(const ToolOptions& options, const ToolContext& context, CollectingSink& sink,
                  const NodalField& field, ComputeOutcome outcome, const BandInertia& inertia,
                  std::int32_t below)
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
    NoteSolve(options, context, field.m_nDivX, field.m_nDivY, field.m_dAlpha, inertia, below);
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
                         std::int32_t divX, std::int32_t divY, double alpha, ValueFormat format)
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
    BandInertia inertia;
    {
        const Progress progress(context, "solving " + std::to_string(divX) + " x " +
                                             std::to_string(divY) + " divisions");
        outcome = RunComputeSized(*record, alpha, sink, format, *form, &inertia);
    }
    return WriteSolution(options, context, sink, *record, outcome, inertia,
                         ResonancesBelow(*record, inertia));
}

}  // namespace

int RunSolveTask(const ToolOptions& options, const ToolContext& context)
{
    if (!options.plotFile.empty())
        return ReportBadValue(context, "--plot draws a sweep or a study: give --sweep or --study");
    const ValueFormat format = options.exact ? ValueFormat::Shortest : ValueFormat::Fixed6;
    // Unless --lenient, the numbers are read strictly, and any mesh that fits in memory solved.
    if (!options.lenient) {
        int status = kExitUsage;
        const std::optional<MeshCounts> counts = ReadMeshCounts(options, context, status);
        if (!counts)
            return status;
        const std::optional<double> alpha = ReadAlpha(options, context);
        if (!alpha)
            return kExitUsage;
        if (!WithinDialogLimits(counts->divX, counts->divY))
            return SolveBeyondTheDialog(options, context, counts->divX, counts->divY, *alpha,
                                        format);
    }

    if (!options.solver.empty() && options.solver != "band" && options.solver != "auto")
        return ReportBadValue(context, "--solver " + QuotedText(options.solver) + " applies "
                                       "beyond the dialog's 90 x 30 alone; within it the band "
                                       "elimination solves as the dialog does");

    // 1. Compute as the dialog does, on a record of its own (about 0.8 MB: not on the stack),
    // from the very texts: strictly read, they convert as the dialog converts them.
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

    // 2. The table or the list lines, then the files, then the notes.
    const BandInertia inertia = record->PivotInertia();
    return WriteSolution(options, context, sink, *record, outcome, inertia,
                         ResonancesBelow(*record, inertia));
}
