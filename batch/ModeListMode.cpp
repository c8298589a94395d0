// The resonant alphas of a mesh as "index<TAB>alpha" lines: the N lowest, or those of an
// interval.
#include "batch/ToolModes.h"
#include "batch/ToolSupport.h"

namespace {

std::string ModeLine(std::int32_t index, double alpha)
{
    return std::to_string(index) + '\t' + Shortest(alpha) + '\n';
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
    std::string text;
    for (std::size_t k = 0; k < modes.size(); ++k)
        text += ModeLine(static_cast<std::int32_t>(k + 1), modes[k]);
    return WriteStandardOutput(options, context, text) ? kExitSolved : kExitWriteFailed;
}

int ListInterval(const ToolOptions& options, const ToolContext& context, const ModeSearch& search)
{
    std::string error;
    const std::optional<AlphaRange> range =
        ReadAlphaRange("--modes-in", options.modeValue, false, error);
    if (!range)
        return ReportBadValue(context, error);
    std::string text;
    for (const ResonanceInInterval& r : FindModesIn(search, range->a0, range->a1))
        text += ModeLine(r.index, r.alpha);
    return WriteStandardOutput(options, context, text) ? kExitSolved : kExitWriteFailed;
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
