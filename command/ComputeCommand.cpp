// The road of one computation, stage by stage.
#include "command/ComputeCommand.h"

#include <string>

#include "command/InputConversion.h"
#include "present/ReportText.h"

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

}  // namespace

void SolveRecord(MembraneModel& model)
{
    model.BuildBoundaryTable();
    model.ZeroSystem();
    model.AssembleElements();
    model.ApplyBoundary();
    model.SolveBand();
}

ComputeOutcome RunCompute(MembraneModel& model, const ComputeInputs& inputs, ReportSink& sink,
                          ValueFormat format)
{
    return RunComputeValues(
        model, {ConvertCount(inputs.divX), ConvertCount(inputs.divY), ConvertAlpha(inputs.alpha)},
        sink, format);
}

ComputeOutcome RunComputeValues(MembraneModel& model, const ComputeValues& values,
                                ReportSink& sink, ValueFormat format)
{
    model.m_bSolved = 0;
    sink.ResetList();

    // 1. Take the inputs; they are stored before they are tested.
    model.m_nDivX = values.divX;
    model.m_nDivY = values.divY;
    model.m_dAlpha = values.alpha;

    // 2. Check the limits: the upper ones first, then counts below 1, which the stages,
    //    the table and the map cannot take.
    if (model.m_nDivX > MembraneModel::kMaxDivX || model.m_nDivY > MembraneModel::kMaxDivY) {
        AddLines(sink, kOverLimitLines);
        return ComputeOutcome::Rejected;
    }
    if (model.m_nDivX < 1 || model.m_nDivY < 1) {
        AddLines(sink, kBelowOneLines);
        return ComputeOutcome::Rejected;
    }

    // 3. Derive the counts and report them.
    model.DeriveCounts();
    AddCountLine(sink, "Number of Element = ", model.m_nElem);
    AddCountLine(sink, "Number of Node = ", model.m_nNode);

    // 4. Boundary table, assembly, boundary conditions, elimination.
    SolveRecord(model);

    // 5. The solution stands: let the map be painted once the command has returned.
    model.m_bSolved = 1;
    sink.RequestRepaint();

    // 6. Report: the value lines, then the table.
    ListSolution(model, sink, format);
    const bool nonFinite = HasNonFiniteValue(model);
    if (nonFinite)
        sink.AddLine(kNonFiniteLine);
    sink.SetTable(BuildTable(model, format));
    return nonFinite ? ComputeOutcome::SolvedNonFinite : ComputeOutcome::Solved;
}
