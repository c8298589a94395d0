// The points of a sweep, each solved on a record of its thread's own.
#include "command/Sweep.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "present/ReportText.h"
#include "present/FigureLayout.h"
#include "solver/MembraneModel.h"
#include "solver/SeparableModes.h"
#include "solver/WorkThreads.h"

namespace {

double LargestMagnitude(const NodalField& field)
{
    double largest = 0.0;
    for (int n = 1; n <= field.m_nNode; ++n) {
        const double magnitude = std::fabs(field.m_W[n]);
        if (std::isnan(magnitude))
            return magnitude;
        if (magnitude > largest)
            largest = magnitude;
    }
    return largest;
}

constexpr double kExcitedFloor = 1e-12;

template <class R>
SweepPoint SolvePoint(R& record, const SweepMesh& mesh, double alpha)
{
    record.m_nDivX = mesh.divX;
    record.m_nDivY = mesh.divY;
    record.m_dAlpha = alpha;
    record.m_bOption = mesh.option ? 1 : 0;
    if constexpr (requires { record.m_scheme; })
        record.m_scheme = mesh.scheme;
    record.DeriveCounts();
    SolveRecord(record);
    return DescribeSolution(record);
}

template <class R>
SweepPoint Describe(const R& record, const BandInertia& inertia)
{
    // A vanishing pivot leaves the count of this factorisation meaningless; the mode counter
    // then takes it just above alpha.
    const std::int32_t below =
        inertia.firstBadRow == 0
            ? ResonancesBelow(record, inertia)
            : ResonanceCounter(record.m_nDivX, record.m_nDivY, SchemeOfRecord(record))
                  .CountBelow(record.m_dAlpha)
                  .below;
    return {record.m_dAlpha, LargestMagnitude(record), below, inertia.firstBadRow};
}

// Thread t's points t, t + threads, t + 2 threads, ... of the block, on a record of the thread's
// own: the dialog's within its limits with its element, one sized to the mesh otherwise.
template <class R>
void SolvePoints(R& record, const SweepMesh& mesh, double a0, double a1, std::int64_t n,
                 std::int64_t first, int t, int threads, std::vector<SweepPoint>& points)
{
    for (std::int64_t k = t; k < static_cast<std::int64_t>(points.size()); k += threads)
        points[k] = SolvePoint(record, mesh, SweepAlpha(a0, a1, n, first + k));
}

}  // namespace

SweepPoint DescribeSolution(const MembraneModel& record)
{
    return Describe(record, record.PivotInertia());
}

SweepPoint DescribeSolution(const SizedRecord& record)
{
    return Describe(record, record.PivotInertia());
}

SweepPoint DescribeSolution(const MembraneModel& record, const BandInertia& inertia)
{
    return Describe(record, inertia);
}

SweepPoint DescribeSolution(const SizedRecord& record, const BandInertia& inertia)
{
    return Describe(record, inertia);
}

double SweepAlpha(double a0, double a1, std::int64_t n, std::int64_t i)
{
    return std::lerp(a0, a1, static_cast<double>(i) / static_cast<double>(n - 1));
}

std::vector<SweepPoint> RunSweep(const SweepMesh& mesh, double a0, double a1, std::int64_t n,
                                 std::int64_t first, std::int64_t count, int threads)
{
    std::vector<SweepPoint> points(static_cast<std::size_t>(count));
    OnThreads(threads, static_cast<std::size_t>(count), [&](int t) {
        if (OnTheDialogsRecord(mesh.divX, mesh.divY, mesh.scheme)) {
            const auto record = std::make_unique<MembraneModel>();
            SolvePoints(*record, mesh, a0, a1, n, first, t, threads, points);
        } else {
            SizedRecord record(mesh.divX, mesh.divY);
            SolvePoints(record, mesh, a0, a1, n, first, t, threads, points);
        }
    });
    return points;
}

std::vector<ResonanceLine> SweepResonanceLines(const ResonanceSearch& setup, bool option,
                                               double a0, double a1,
                                               const std::vector<SweepPoint>& points)
{
    // The resonances need only the plot's resolution, and the sweep's own counts bracket them.
    ResonanceSearch search = setup;
    search.tolerance = SweepPlotResolution(a0, a1);
    for (const SweepPoint& p : points)
        search.known.push_back({std::fabs(p.alpha), p.modesBelow});
    const std::vector<NumberedResonance> resonances = FindResonancesIn(search, a0, a1);
    // The participations need the alphas to the last digit only where they fall back on the
    // bisection, which then starts from the sweep's counts.
    search.tolerance = 0.0;
    const std::vector<double> participation =
        FindParticipations(search, option, Numbers(resonances));
    double largest = 0.0;
    for (double p : participation)
        largest = std::max(largest, std::fabs(p));
    std::vector<ResonanceLine> lines;
    for (std::size_t k = 0; k < resonances.size(); ++k)
        lines.push_back({resonances[k].alpha,
                         std::fabs(participation[k]) >= std::max(1e-9 * largest, kExcitedFloor)});
    return lines;
}

std::optional<std::int64_t> ReadSweepCount(std::string_view text)
{
    const std::optional<long long> n = ReadWholeNumber(text);
    if (!n || *n < kFewestSweepPoints || *n > kMostSweepPoints)
        return std::nullopt;
    return *n;
}

std::string SweepCountRefusal(std::string_view text)
{
    return "takes N as a whole number from " + std::to_string(kFewestSweepPoints) + " to " +
           std::to_string(kMostSweepPoints) + ", not " + QuotedText(text);
}

std::string SweepCsvRow(const SweepPoint& p)
{
    return Shortest(p.alpha) + ',' + Shortest(p.maxAbsW) + ',' + std::to_string(p.modesBelow) +
           ',' + std::to_string(p.firstZeroPivot) + '\n';
}
