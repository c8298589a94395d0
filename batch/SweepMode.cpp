// A sweep over alpha: a full solve of the mesh and option at every point, written as CSV block
// by block, and the plot of the largest |W| with the resonances of the interval.
#include <algorithm>
#include <cmath>

#include "batch/ToolModes.h"
#include "batch/ToolSupport.h"
#include "command/Sweep.h"
#include "present/FigureLayout.h"
#include "present/FigureTitles.h"
#include "solver/ModeShape.h"

namespace {

std::string CsvRow(const SweepPoint& p)
{
    return Shortest(p.alpha) + ',' + Shortest(p.maxAbsW) + ',' + std::to_string(p.modesBelow) +
           ',' + std::to_string(p.firstZeroPivot) + '\n';
}

// The lines of the resonances: excited where their participation reaches 1e-9 of the largest in
// the interval, and 1e-12 at least: where the load reaches none of them, the largest is rounding.
constexpr double kExcitedFloor = 1e-12;

std::vector<ResonanceLine> ExcitedResonances(const ModeSearch& search, bool option,
                                             const std::vector<ResonanceInInterval>& resonances)
{
    const std::vector<double> participation = FindParticipations(search, option, resonances);
    double largest = 0.0;
    for (double p : participation)
        largest = std::max(largest, std::fabs(p));
    std::vector<ResonanceLine> lines;
    for (std::size_t k = 0; k < resonances.size(); ++k)
        lines.push_back({resonances[k].alpha,
                         std::fabs(participation[k]) >= std::max(1e-9 * largest, kExcitedFloor)});
    return lines;
}

// The resonances need only the plot's resolution, and the sweep's own counts bracket them.
bool DrawPlot(const ToolOptions& options, const ToolContext& context, const ModeSearch& setup,
              const AlphaRange& range, const std::vector<SweepPoint>& points)
{
    ModeSearch search = setup;
    search.tolerance = SweepPlotResolution(range.a0, range.a1);
    std::vector<CurvePoint> curve;
    for (const SweepPoint& p : points) {
        search.known.push_back({std::fabs(p.alpha), p.modesBelow});
        curve.push_back({p.alpha, p.maxAbsW});
    }
    const std::vector<ResonanceInInterval> resonances = FindModesIn(search, range.a0, range.a1);
    // The participations need the alphas to the last digit only where they fall back on the
    // bisection, which then starts from the sweep's counts.
    search.tolerance = 0.0;
    const std::vector<ResonanceLine> lines =
        ExcitedResonances(search, options.option, resonances);
    const std::string title = SweepTitle(setup.divX, setup.divY, options.option);
    return DrawFigure(context, options.plotFile,
                      [&](const FigureApi& api, std::string& png, std::string& error) {
                          return api.sweepPlot(curve, lines, title, png, error);
                      });
}

}  // namespace

int RunSweepMode(const ToolOptions& options, const ToolContext& context)
{
    // 1. The mesh, the interval and the number of points.
    const std::optional<ModeSearch> setup = ReadModeSearch(options, context);
    if (!setup)
        return kExitUsage;
    std::string error;
    const std::optional<AlphaRange> range =
        ReadAlphaRange("--sweep", options.modeValue, true, error);
    if (!range)
        return ReportBadValue(context, error);
    const std::optional<long long> n = ReadWholeNumber(range->count);
    if (!n || *n < 2)
        return ReportBadValue(context, "--sweep takes at least 2 points, not " +
                                           QuotedText(range->count));

    // 2. Solve and write block by block, so that a long sweep needs little memory.
    const SweepMesh mesh{setup->divX, setup->divY, options.option};
    const bool plot = !options.plotFile.empty();
    std::vector<SweepPoint> all;
    bool nonFinite = false;
    if (!WriteStandardOutput(options, context, "alpha,max_abs_w,modes_below,first_zero_pivot\n"))
        return kExitWriteFailed;
    const std::int64_t block = 64LL * setup->threads;
    for (std::int64_t first = 0; first < *n; first += block) {
        const std::vector<SweepPoint> points = RunSweep(
            mesh, range->a0, range->a1, *n, first, std::min<std::int64_t>(block, *n - first),
            setup->threads);
        std::string text;
        for (const SweepPoint& p : points) {
            text += CsvRow(p);
            nonFinite = nonFinite || !std::isfinite(p.maxAbsW);
        }
        if (!WriteStandardOutput(options, context, text))
            return kExitWriteFailed;
        if (plot)
            all.insert(all.end(), points.begin(), points.end());
    }

    // 3. The plot.
    if (plot && !DrawPlot(options, context, *setup, *range, all))
        return kExitWriteFailed;
    return nonFinite ? ReportNonFinite(context) : kExitSolved;
}
