// The choice of method for the lowest resonances and their shapes.
#include "command/LowestResonances.h"

#include <algorithm>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "command/RunArguments.h"
#include "solver/SeparableModes.h"

std::vector<double> LowestResonances(const ResonanceSearch& search, std::int32_t n)
{
    if (!WithinDialogLimits(search.divX, search.divY)) {
        std::vector<double> alphas;
        for (const ClosedFormMode& mode :
             LowestSeparableModes(search.divX, search.divY, search.scheme, n))
            alphas.push_back(mode.alpha);
        return alphas;
    }
    return FindResonances(search, 1, n);
}

std::vector<ModeShape> ResonanceShapes(const ResonanceSearch& search, bool option,
                                       std::int32_t first, std::int32_t last)
{
    if (!WithinDialogLimits(search.divX, search.divY))
        return SeparableShapes(search, option, first, last);
    return FindShapes(search, option, first, last);
}

std::optional<std::int32_t> ReadResonanceNumber(std::string_view name, std::string_view text,
                                                std::int32_t divX, std::int32_t divY,
                                                std::int32_t most, std::string& refusal)
{
    const std::int32_t available = ResonanceCount(divX, divY);
    if (available < 1) {
        refusal = NoResonanceText(divX, divY);
        return std::nullopt;
    }
    const std::int32_t limit = std::min(available, most);
    const std::optional<long long> n = ReadWholeNumber(text);
    if (n && *n >= 1 && *n <= limit)
        return static_cast<std::int32_t>(*n);
    // The mesh's count only where it sets the limit.
    const std::string why = available <= most
                                ? " (the " + std::to_string(divX) + " x " + std::to_string(divY) +
                                      " mesh has " + std::to_string(available) +
                                      " resonances, one per node off the fixed edges)"
                                : "";
    refusal = std::string(name) + " takes a whole number from 1 to " + std::to_string(limit) +
              why + ", not " + QuotedText(text);
    return std::nullopt;
}
