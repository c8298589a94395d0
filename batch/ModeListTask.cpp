// The resonant alphas of a mesh as "index<TAB>alpha" lines: the N lowest, or those of an
// interval; with --details as CSV with their shapes' labels and participation.
#include <limits>

#include "batch/ToolSupport.h"
#include "batch/ToolTasks.h"
#include "command/RunArguments.h"
#include "command/LowestResonances.h"
#include "command/ResonanceDetails.h"

namespace {

std::string ModeLine(std::int32_t index, double alpha)
{
    return std::to_string(index) + '\t' + Shortest(alpha) + '\n';
}

std::string ModeList(const ToolOptions& options, const ToolContext& context,
                     const ResonanceSearch& search, const std::vector<NumberedResonance>& listed)
{
    if (options.details) {
        const Progress progress(context, "shapes of the resonances");
        return DetailsCsv(DescribeResonances(search, options.option, listed));
    }
    std::string text;
    for (const NumberedResonance& r : listed)
        text += ModeLine(r.index, r.alpha);
    return text;
}

int ListLowest(const ToolOptions& options, const ToolContext& context, const ResonanceSearch& search)
{
    const std::optional<std::int32_t> n = ReadResonanceNumber(
        "--modes", options.taskValue, search, std::numeric_limits<std::int32_t>::max(), context);
    if (!n)
        return kExitUsage;
    std::vector<double> alphas;
    {
        const Progress progress(context, "finding the resonances");
        alphas = LowestResonances(search, *n);
    }
    std::vector<NumberedResonance> listed;
    for (std::size_t k = 0; k < alphas.size(); ++k)
        listed.push_back({static_cast<std::int32_t>(k + 1), alphas[k]});
    return WriteStandardOutput(options, context, ModeList(options, context, search, listed))
               ? kExitSolved
               : kExitWriteFailed;
}

int ListInterval(const ToolOptions& options, const ToolContext& context, const ResonanceSearch& search)
{
    std::string error;
    const std::optional<AlphaRange> range =
        ReadAlphaRange("--modes-in", options.taskValue, false, error);
    if (!range)
        return ReportBadValue(context, error);
    std::vector<NumberedResonance> listed;
    {
        const Progress progress(context, "finding the resonances");
        listed = FindResonancesIn(search, range->a0, range->a1);
    }
    return WriteStandardOutput(options, context, ModeList(options, context, search, listed))
               ? kExitSolved
               : kExitWriteFailed;
}

}  // namespace

int RunModeListTask(const ToolOptions& options, const ToolContext& context)
{
    const std::optional<ResonanceSearch> search = ReadSearch(options, context);
    if (!search)
        return kExitUsage;
    return options.task == Task::Modes ? ListLowest(options, context, *search)
                                           : ListInterval(options, context, *search);
}
