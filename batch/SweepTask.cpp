// A sweep over alpha: a full solve of the mesh and option at every point, written as CSV block
// by block, and the plot of the largest |W| with the resonances of the interval.
#include <algorithm>
#include <cmath>

#include "batch/ToolSupport.h"
#include "batch/ToolTasks.h"
#include "command/RunArguments.h"
#include "command/Sweep.h"
#include "present/FigureTitles.h"

namespace {

bool DrawPlot(const ToolOptions& options, const ToolContext& context, const ResonanceSearch& setup,
              const AlphaRange& range, const std::vector<SweepPoint>& points)
{
    std::vector<CurvePoint> curve;
    for (const SweepPoint& p : points)
        curve.push_back({p.alpha, p.maxAbsW});
    const std::vector<ResonanceLine> lines =
        SweepResonanceLines(setup, options.option, range.a0, range.a1, points);
    const std::string title = SweepTitle(setup.divX, setup.divY, options.option, setup.scheme);
    return DrawFigure(context, options.plotFile,
                      [&](const FigureApi& api, FigureFormat format, std::string& bytes,
                          std::string& error) {
                          return api.sweepPlot(curve, lines, title, format, bytes, error);
                      });
}

}  // namespace

int RunSweepTask(const ToolOptions& options, const ToolContext& context)
{
    // 1. The mesh, the interval and the number of points.
    const std::optional<ResonanceSearch> setup = ReadSearch(options, context);
    if (!setup)
        return kExitUsage;
    std::string error;
    const std::optional<AlphaRange> range =
        ReadAlphaRange("--sweep", options.taskValue, true, error);
    if (!range)
        return ReportBadValue(context, error);
    const std::optional<std::int64_t> n = ReadSweepCount(range->count);
    if (!n)
        return ReportBadValue(context, "--sweep " + SweepCountRefusal(range->count));

    // 2. Solve and write block by block, so that a long sweep needs little memory.
    const SweepMesh mesh{setup->divX, setup->divY, options.option, setup->scheme};
    const bool plot = !options.plotFile.empty();
    std::vector<SweepPoint> all;
    bool nonFinite = false;
    if (!WriteStandardOutput(options, context, std::string(kSweepCsvHeader)))
        return kExitWriteFailed;
    const std::int64_t block = 64LL * setup->threads;
    Progress progress(context, "sweep: point", *n);
    for (std::int64_t first = 0; first < *n; first += block) {
        progress.Done(first);
        const std::vector<SweepPoint> points = RunSweep(
            mesh, range->a0, range->a1, *n, first, std::min<std::int64_t>(block, *n - first),
            setup->threads);
        std::string text;
        for (const SweepPoint& p : points) {
            text += SweepCsvRow(p);
            nonFinite = nonFinite || !std::isfinite(p.maxAbsW);
        }
        if (!WriteStandardOutput(options, context, text))
            return kExitWriteFailed;
        if (plot)
            all.insert(all.end(), points.begin(), points.end());
    }

    // 3. The plot, and the note for the point of fewest points per wavelength.
    if (plot && !DrawPlot(options, context, *setup, *range, all))
        return kExitWriteFailed;
    NoteAccuracy(options, context, setup->divX, setup->divY,
                 std::max(std::fabs(range->a0), std::fabs(range->a1)), setup->scheme);
    return nonFinite ? ReportNonFinite(context) : kExitSolved;
}
