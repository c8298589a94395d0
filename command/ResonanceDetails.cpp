// The details of listed resonances from their shapes.
#include "command/ResonanceDetails.h"

#include <cmath>

#include "command/LowestResonances.h"

std::vector<ResonanceDetails> DescribeResonances(const ResonanceSearch& search, bool option,
                                                 const std::vector<NumberedResonance>& listed)
{
    if (listed.empty())
        return {};
    const auto [first, last] = NumberSpan(listed);
    const std::vector<ModeShape> shapes = ResonanceShapes(search, option, first, last);
    std::vector<ResonanceDetails> details;
    for (const NumberedResonance& r : listed) {
        const ModeShape& s = shapes[r.index - first];
        details.push_back({r.index, r.alpha, s.kx, s.ky, s.participation,
                           std::copysign(ContinuumAlpha(s.kx, s.ky), r.alpha)});
    }
    return details;
}
