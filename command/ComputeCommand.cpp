// The road of one computation, stage by stage.
#include "command/ComputeCommand.h"

#include <cassert>
#include <string>
#include <type_traits>

#include "command/InputConversion.h"
#include "present/ReportText.h"
#include "solver/SeparableSolve.h"
#include "solver/Factorisation.h"

namespace {

void AddLines(ReportSink& sink, const auto& lines)
{
    for (std::string_view line : lines)
        sink.AddLine(line);
}

void AddCountLine(ReportSink& sink, std::string_view label, int count)
{
    std::string line(label);
    line += std::to_string(count);
    sink.AddLine(line);
}

// Boundary table, zeroing and assembly, boundary conditions, elimination; on a sized record, the
// inertia of the pivots into *inertia where asked.
template <class R>
void SolveStages(R& record, SolverForm form = SolverForm::Band, BandInertia* inertia = nullptr)
{
    record.BuildBoundaryTable();
#ifdef MEMBRANE_SEPARABLE
    if constexpr (std::is_same_v<R, SizedRecord>)
        if (form == SolverForm::Separable) {
            const SeparableOutcome solved = SolveSeparable(
                record.m_nDivX, record.m_nDivY, record.m_dLenX, record.m_dLenY, record.m_dAlpha,
                record.m_scheme, record.m_bndNode, record.m_bndKind, record.m_bndValue,
                record.m_nBound, record.m_W);
            if (inertia)
                *inertia = solved.inertia;
            return;
        }
#endif
    record.ZeroSystem();
    record.AssembleElements();
    record.ApplyBoundary();
    if constexpr (std::is_same_v<R, SizedRecord>) {
        const BandInertia pivots = MakeFactorisation(form)->SolveRecordSystem(record);
        if (inertia)
            *inertia = pivots;
    } else {
        record.SolveBand();
    }
}

// Steps 3 to 6 of a computation whose inputs are accepted: the counts, the stages, the report.
template <class R>
ComputeOutcome ComputeAccepted(R& record, ReportSink& sink, ValueFormat format,
                               SolverForm form = SolverForm::Band, BandInertia* inertia = nullptr)
{
    // 3. Derive the counts and report them.
    record.DeriveCounts();
    AddCountLine(sink, "Number of Element = ", record.m_nElem);
    AddCountLine(sink, "Number of Node = ", record.m_nNode);

    // 4. Boundary table, assembly, boundary conditions, elimination.
    SolveStages(record, form, inertia);

    // 5. The solution stands: let the map be painted once the command has returned.
    record.m_bSolved = 1;
    sink.RequestRepaint();

    // 6. Report: the value lines, then the table.
    ListSolution(record, sink, format);
    const bool nonFinite = HasNonFiniteValue(record);
    if (nonFinite)
        sink.AddLine(kNonFiniteLine);
    sink.SetTable(BuildTable(record, format));
    return nonFinite ? ComputeOutcome::SolvedNonFinite : ComputeOutcome::Solved;
}

}  // namespace

void SolveRecord(MembraneModel& record)
{
    SolveStages(record);
}

void SolveRecord(SizedRecord& record)
{
    SolveStages(record);
}

bool WithinDialogLimits(std::int32_t divX, std::int32_t divY)
{
    return divX >= 1 && divX <= MembraneModel::kMaxDivX && divY >= 1 &&
           divY <= MembraneModel::kMaxDivY;
}

bool OnTheDialogsRecord(std::int32_t divX, std::int32_t divY, Scheme scheme)
{
    return scheme == Scheme::Standard && WithinDialogLimits(divX, divY);
}

ComputeOutcome RunCompute(MembraneModel& record, const ComputeInputs& inputs, ReportSink& sink,
                          ValueFormat format)
{
    return RunComputeValues(
        record, {ConvertCount(inputs.divX), ConvertCount(inputs.divY), ConvertAlpha(inputs.alpha)},
        sink, format);
}

ComputeOutcome RunComputeValues(MembraneModel& record, const ComputeValues& values,
                                ReportSink& sink, ValueFormat format)
{
    record.m_bSolved = 0;
    sink.ResetList();

    // 1. Take the inputs; they are stored before they are tested.
    record.m_nDivX = values.divX;
    record.m_nDivY = values.divY;
    record.m_dAlpha = values.alpha;

    // 2. Check the limits: the upper ones first, then counts below 1, which the stages,
    //    the table and the map cannot take.
    if (record.m_nDivX > MembraneModel::kMaxDivX || record.m_nDivY > MembraneModel::kMaxDivY) {
        AddLines(sink, kOverLimitLines);
        return ComputeOutcome::Rejected;
    }
    if (record.m_nDivX < 1 || record.m_nDivY < 1) {
        AddLines(sink, kBelowOneLines);
        return ComputeOutcome::Rejected;
    }

    return ComputeAccepted(record, sink, format);
}

SizedOutcome RunComputeSized(SizedRecord& record, const Problem& problem, ReportSink& sink,
                             ValueFormat format)
{
    assert(record.m_nDivX == problem.divX && record.m_nDivY == problem.divY);
    record.m_bSolved = 0;
    sink.ResetList();
    record.m_dAlpha = problem.alpha;
    record.m_bOption = problem.option ? 1 : 0;
    record.m_scheme = problem.scheme;
    SizedOutcome done{ComputeOutcome::Solved,
                      ChooseSolverForm(problem.divX, problem.divY, problem.solver), {}};
    // The caller sized the record for the form the chooser takes: a band where it needs one.
    assert(record.HasBand() || !NeedsBand(done.form));
    done.outcome = ComputeAccepted(record, sink, format, done.form, &done.inertia);
    return done;
}
