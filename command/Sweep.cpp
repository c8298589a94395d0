// The points of a sweep, each solved on a record of its thread's own.
#include "command/Sweep.h"

#include <cmath>
#include <memory>
#include <thread>

#include "command/ComputeCommand.h"
#include "solver/MembraneModel.h"
#include "solver/Resonance.h"

namespace {

double LargestMagnitude(const MembraneModel& model)
{
    double largest = 0.0;
    for (int n = 1; n <= model.m_nNode; ++n) {
        const double magnitude = std::fabs(model.m_W[n]);
        if (std::isnan(magnitude))
            return magnitude;
        if (magnitude > largest)
            largest = magnitude;
    }
    return largest;
}

SweepPoint SolvePoint(MembraneModel& model, const SweepMesh& mesh, double alpha)
{
    model.m_nDivX = mesh.divX;
    model.m_nDivY = mesh.divY;
    model.m_dAlpha = alpha;
    model.m_bOption = mesh.option ? 1 : 0;
    model.DeriveCounts();
    SolveRecord(model);
    return DescribeSolution(model);
}

}  // namespace

SweepPoint DescribeSolution(const MembraneModel& model)
{
    const BandInertia inertia = model.PivotInertia();
    // A vanishing pivot leaves the count of this factorisation meaningless; the mode counter
    // then takes it just above alpha.
    const std::int32_t below =
        inertia.firstBadRow == 0
            ? ModesBelow(model, inertia)
            : ModeCounter(model.m_nDivX, model.m_nDivY).CountBelow(model.m_dAlpha).below;
    return {model.m_dAlpha, LargestMagnitude(model), below, inertia.firstBadRow};
}

double SweepAlpha(double a0, double a1, std::int64_t n, std::int64_t i)
{
    return std::lerp(a0, a1, static_cast<double>(i) / static_cast<double>(n - 1));
}

std::vector<SweepPoint> RunSweep(const SweepMesh& mesh, double a0, double a1, std::int64_t n,
                                 std::int64_t first, std::int64_t count, int threads)
{
    std::vector<SweepPoint> points(static_cast<std::size_t>(count));
    // Thread t takes the points t, t + threads, t + 2 threads, ... of the block.
    auto work = [&](int t) {
        const auto model = std::make_unique<MembraneModel>();
        for (std::int64_t k = t; k < count; k += threads)
            points[k] = SolvePoint(*model, mesh, SweepAlpha(a0, a1, n, first + k));
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads && t < count; ++t)
        workers.emplace_back(work, t);
    work(0);
    for (std::thread& w : workers)
        w.join();
    return points;
}
