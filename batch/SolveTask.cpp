// A single solve: the dialog's computation, its table or list on standard output, and the map,
// the figure, the CSV and the VTK file as asked. Within the dialog's limits with its element, or
// with --lenient, on a record as the dialog's; otherwise on one sized to the mesh.
#include <memory>

#include "batch/RecordMemory.h"
#include "batch/ToolSupport.h"
#include "batch/ToolTasks.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "present/FigureTitles.h"
#include "solver/ShiftedFactor.h"
#include "solver/SolverChoice.h"

namespace {

// The notes of a solve on standard error, unless --quiet: a resonance of the mesh within 1e-6 of
// alpha, found by the solve's own inertia, and a mesh too coarse for alpha.
void NoteSolve(const ToolOptions& options, const ToolContext& context, const NodalField& field,
               const BandInertia& inertia, std::int32_t below)
{
    if (options.quiet)
        return;
    if (inertia.firstBadRow == 0)
        if (const std::optional<std::string> note = NearResonanceNote(
                field.m_nDivX, field.m_nDivY, field.m_dAlpha, below, field.m_scheme))
            ReportNote(context, *note);
    NoteAccuracy(options, context, field.m_nDivX, field.m_nDivY, field.m_dAlpha, field.m_scheme);
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
    NoteSolve(options, context, field, inertia, below);
    return outcome == ComputeOutcome::SolvedNonFinite ? ReportNonFinite(context) : kExitSolved;
}

// A mesh beyond the dialog's, or one with another element than the dialog's, on a record sized
// to it, once it is known to fit in memory.
int SolveOnASizedRecord(const ToolOptions& options, const ToolContext& context,
                         const Problem& problem, ValueFormat format)
{
    // The memory of the form that will solve it: the separable solver keeps no band.
    const SolverForm form = ChooseSolverForm(problem.divX, problem.divY, problem.solver);
    if (const std::optional<std::string> large =
            MeshTooLarge(problem.divX, problem.divY, 1, form)) {
        std::fprintf(context.err, "membrane-solve: %s\n", large->c_str());
        return kExitRejected;
    }
    const auto record = std::make_unique<SizedRecord>(problem.divX, problem.divY, NeedsBand(form));
    CollectingSink sink;
    SizedOutcome solved;
    {
        const Progress progress(context, "solving " + std::to_string(problem.divX) + " x " +
                                             std::to_string(problem.divY) + " divisions");
        solved = RunComputeSized(*record, problem, sink, format);
    }
    return WriteSolution(options, context, sink, *record, solved.outcome, solved.inertia,
                         ResonancesBelow(*record, solved.inertia));
}

}  // namespace

int RunSolveTask(const ToolOptions& options, const ToolContext& context)
{
    const ValueFormat format = options.exact ? ValueFormat::Shortest : ValueFormat::Fixed6;
    // The solver asked for, by name; within the dialog's limits only the band elimination.
    const std::optional<SolverRequest> solver =
        ReadSolverRequest(options.solver.empty() ? "auto" : options.solver);
    if (!solver)
        return ReportBadValue(context, "--solver takes " + std::string(kSolverRequestNames) +
                                           ", not " + QuotedText(options.solver));
    // Unless --lenient, the numbers are read strictly, and any mesh that fits in memory solved.
    if (!options.lenient) {
        int status = kExitUsage;
        const std::optional<MeshCounts> counts = ReadMeshCounts(options, context, status);
        if (!counts)
            return status;
        const std::optional<double> alpha = ReadAlpha(options, context);
        if (!alpha)
            return kExitUsage;
        if (const std::optional<std::string_view> fault =
                SolverRequestFault(counts->divX, counts->divY, *solver))
            return ReportBadValue(context, "--solver " + std::string(*fault));
        const std::optional<Scheme> scheme = ReadScheme(options, context);
        if (!scheme)
            return kExitUsage;
        if (!OnTheDialogsRecord(counts->divX, counts->divY, *scheme))
            return SolveOnASizedRecord(options, context,
                                       {counts->divX, counts->divY, *alpha, options.option,
                                        *solver, *scheme},
                                       format);
    } else if (*solver == SolverRequest::Sparse) {
        // --lenient solves within the dialog's limits alone.
        return ReportBadValue(context, "--solver " + std::string(kSparseWithinDialogFault));
    } else if (const std::optional<Scheme> scheme = ReadScheme(options, context);
               scheme != Scheme::Standard) {
        // --lenient computes as the dialog does, with the dialog's element alone.
        return scheme ? ReportBadValue(context, "--lenient computes with the dialog's element "
                                                "alone: --scheme low-dispersion applies without it")
                      : kExitUsage;
    }

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
