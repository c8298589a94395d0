// Shared helpers of the tests: a record on the heap, the stages run directly, and a report
// sink that records everything it is told.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "command/ComputeCommand.h"
#include "solver/MembraneModel.h"
#include "present/ReportSink.h"

inline std::unique_ptr<MembraneModel> MakeRecord()
{
    return std::make_unique<MembraneModel>();
}

// Sets the counts as an accepted computation does.
inline void SetCounts(MembraneModel& m, int divX, int divY)
{
    m.m_nDivX = divX;
    m.m_nDivY = divY;
    m.DeriveCounts();
}

// Runs the stages of a computation from the boundary table up to the boundary conditions on a
// record whose counts are derived, the dialog's or one sized to its mesh, leaving the
// constrained system that SolveBand takes.
template <class R>
void ConstrainRecord(R& r, double alpha, bool option)
{
    r.m_dAlpha = alpha;
    r.m_bOption = option ? 1 : 0;
    r.BuildBoundaryTable();
    r.ZeroSystem();
    r.AssembleElements();
    r.ApplyBoundary();
}

// The same on the dialog's record, its counts set first.
inline void Constrain(MembraneModel& m, int divX, int divY, double alpha, bool option)
{
    SetCounts(m, divX, divY);
    ConstrainRecord(m, alpha, option);
}

// Runs the numerical stages of a computation, from the boundary table to the solve.
inline void Solve(MembraneModel& m, int divX, int divY, double alpha, bool option)
{
    Constrain(m, divX, divY, alpha, option);
    m.SolveBand();
}

// An alpha at which the first free pivot of the 2 x 1 mesh (node 3) is exactly zero: the
// diagonal D of its two elements vanishes when fl(t / 9) equals fl(s / 3). 0 if none is found
// among the doubles next to the exact value.
inline double VanishingPivotAlpha()
{
    const double area = (15.0 * 5.0) / 2.0, dx = 7.5, dy = 5.0;
    const double s = dy / dx + dx / dy;
    double alpha = std::nextafter(std::sqrt(3.0 * s / area), 0.0);
    for (int step = 0; step < 200; ++step, alpha = std::nextafter(alpha, 10.0)) {
        const double t = (alpha * alpha) * area;
        if (t * (1.0 / 9.0) - s * (1.0 / 3.0) == 0.0)
            return alpha;
    }
    return 0.0;
}

class RecordingSink : public ReportSink {
public:
    std::vector<std::string> lines;
    std::vector<std::string> events;  // "reset", "repaint", "table", in order
    std::string table;
    int resets = 0;
    int repaints = 0;
    int tables = 0;

    void ResetList() override
    {
        lines.clear();
        events.push_back("reset");
        ++resets;
    }
    void AddLine(std::string_view line) override { lines.emplace_back(line); }
    void RequestRepaint() override
    {
        events.push_back("repaint:" + std::to_string(lines.size()));
        ++repaints;
    }
    void SetTable(std::string text) override
    {
        events.push_back("table:" + std::to_string(lines.size()));
        table = std::move(text);
        ++tables;
    }
};

// What the core alone reports for the given input texts, on a fresh record.
inline RecordingSink CoreRun(std::string_view x, std::string_view y, std::string_view alpha,
                             bool option, ValueFormat format = ValueFormat::Fixed6)
{
    auto m = MakeRecord();
    m->m_bOption = option ? 1 : 0;
    RecordingSink sink;
    RunCompute(*m, {x, y, alpha}, sink, format);
    return sink;
}
