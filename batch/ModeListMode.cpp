// The resonant alphas of a mesh as "index<TAB>alpha" lines: the N lowest, or those of an
// interval; with --details as CSV with their shapes' labels and participation.
#include <algorithm>
#include <cmath>

#include "batch/ToolModes.h"
#include "batch/ToolSupport.h"
#include "solver/ModeShape.h"

namespace {

std::string ModeLine(std::int32_t index, double alpha)
{
    return std::to_string(index) + '\t' + Shortest(alpha) + '\n';
}

// The listed resonances as CSV, their shapes found once for the whole range of their numbers.
// A resonance listed at -a' (an interval below zero) has the shape of a', and the continuous
// membrane's alpha takes its sign.
std::string DetailsCsv(const ToolOptions& options, const ModeSearch& search,
                       const std::vector<ResonanceInInterval>& listed)
{
    std::string csv = "index,alpha,kx,ky,participation,alpha_continuum\n";
    if (listed.empty())
        return csv;
    std::int32_t first = listed.front().index, last = first;
    for (const ResonanceInInterval& r : listed) {
        first = std::min(first, r.index);
        last = std::max(last, r.index);
    }
    const std::vector<ModeShape> shapes = FindShapes(search, options.option, first, last);
    for (const ResonanceInInterval& r : listed) {
        const ModeShape& s = shapes[r.index - first];
        csv += std::to_string(r.index) + ',' + Shortest(r.alpha) + ',' + std::to_string(s.kx) +
               ',' + std::to_string(s.ky) + ',' + Shortest(s.participation) + ',' +
               Shortest(std::copysign(ContinuumAlpha(s.kx, s.ky), r.alpha)) + '\n';
    }
    return csv;
}

std::string ModeList(const ToolOptions& options, const ModeSearch& search,
                     const std::vector<ResonanceInInterval>& listed)
{
    if (options.details)
        return DetailsCsv(options, search, listed);
    std::string text;
    for (const ResonanceInInterval& r : listed)
        text += ModeLine(r.index, r.alpha);
    return text;
}

int ListLowest(const ToolOptions& options, const ToolContext& context, const ModeSearch& search)
{
    const std::optional<long long> n = ReadWholeNumber(options.modeValue);
    if (!n || *n < 1)
        return ReportBadValue(context, "--modes takes a whole number from 1 up, not " +
                                           QuotedText(options.modeValue));
    const std::int32_t available = ModeCount(search.divX, search.divY);
    if (*n > available)
        return ReportBadValue(context, "--modes " + std::to_string(*n) + ": the " +
                                           std::to_string(search.divX) + " x " +
                                           std::to_string(search.divY) + " mesh has " +
                                           std::to_string(available) +
                                           " resonances, one per node off the fixed edges");
    const std::vector<double> modes = FindModes(search, 1, static_cast<std::int32_t>(*n));
    std::vector<ResonanceInInterval> listed;
    for (std::size_t k = 0; k < modes.size(); ++k)
        listed.push_back({static_cast<std::int32_t>(k + 1), modes[k]});
    return WriteStandardOutput(options, context, ModeList(options, search, listed))
               ? kExitSolved
               : kExitWriteFailed;
}

int ListInterval(const ToolOptions& options, const ToolContext& context, const ModeSearch& search)
{
    std::string error;
    const std::optional<AlphaRange> range =
        ReadAlphaRange("--modes-in", options.modeValue, false, error);
    if (!range)
        return ReportBadValue(context, error);
    const std::vector<ResonanceInInterval> listed = FindModesIn(search, range->a0, range->a1);
    return WriteStandardOutput(options, context, ModeList(options, search, listed))
               ? kExitSolved
               : kExitWriteFailed;
}

}  // namespace

int RunModeListMode(const ToolOptions& options, const ToolContext& context)
{
    const std::optional<ModeSearch> search = ReadModeSearch(options, context);
    if (!search)
        return kExitUsage;
    return options.mode == ToolMode::Modes ? ListLowest(options, context, *search)
                                           : ListInterval(options, context, *search);
}
