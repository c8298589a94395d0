// The details of listed resonances from their shapes.
#include "command/ResonanceDetails.h"

#include <algorithm>
#include <cmath>

#include "command/LowestResonances.h"
#include "present/ReportText.h"
#include "solver/SeparableModes.h"

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

std::string DetailsCsv(const std::vector<ResonanceDetails>& details)
{
    const auto shortest = [](double v) {
        std::string text;
        AppendValue(text, v, ValueFormat::Shortest);
        return text;
    };
    std::string csv = "index,alpha,kx,ky,participation,alpha_continuum\n";
    for (const ResonanceDetails& d : details)
        csv += std::to_string(d.index) + ',' + shortest(d.alpha) + ',' + std::to_string(d.kx) +
               ',' + std::to_string(d.ky) + ',' + shortest(d.participation) + ',' +
               shortest(d.alphaContinuum) + '\n';
    return csv;
}

namespace {

constexpr double kNear = 1e-6;

// The first ky whose resonance with kx half-waves along x is at or above a, divY + 1 for none:
// the resonances increase with ky.
std::int32_t FirstAtOrAbove(std::int32_t divX, std::int32_t divY, Scheme scheme, std::int32_t kx,
                            double a)
{
    std::int32_t lo = 0, hi = divY + 1;
    while (lo < hi) {
        const std::int32_t mid = lo + (hi - lo) / 2;
        if (SeparableResonance(divX, divY, kx, mid, scheme) < a)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The closed form's resonances below a.
std::int64_t ClosedFormBelow(std::int32_t divX, std::int32_t divY, Scheme scheme, double a)
{
    std::int64_t count = 0;
    for (std::int32_t kx = 1; kx < divX; ++kx)
        count += FirstAtOrAbove(divX, divY, scheme, kx, a);
    return count;
}

}  // namespace

std::optional<std::string> NearResonanceNote(std::int32_t divX, std::int32_t divY, double alpha,
                                             std::int32_t below, Scheme scheme)
{
    const double a = std::fabs(alpha);
    if (!std::isfinite(a) || a == 0.0 || ClosedFormBelow(divX, divY, scheme, a) != below)
        return std::nullopt;
    // The nearest resonance within the window, kx by kx.
    double nearest = 0.0;
    std::int32_t nearestX = 0, nearestY = 0;
    for (std::int32_t kx = 1; kx < divX; ++kx)
        for (std::int32_t ky = FirstAtOrAbove(divX, divY, scheme, kx, a * (1.0 - kNear));
             ky <= divY; ++ky) {
            const double r = SeparableResonance(divX, divY, kx, ky, scheme);
            if (r > a * (1.0 + kNear))
                break;
            if (nearestX == 0 || std::fabs(r - a) < std::fabs(nearest - a)) {
                nearest = r;
                nearestX = kx;
                nearestY = ky;
            }
        }
    if (nearestX == 0)
        return std::nullopt;
    const std::int64_t index = ClosedFormBelow(divX, divY, scheme, nearest) + 1;
    std::string alphaText, nearestText;
    AppendValue(alphaText, a, ValueFormat::Shortest);
    AppendValue(nearestText, nearest, ValueFormat::Shortest);
    return "alpha " + alphaText + " lies within a relative 1e-6 of resonance " +
           std::to_string(index) + " of the " + std::to_string(divX) + " x " +
           std::to_string(divY) + " mesh, alpha " + nearestText + " with (kx, ky) = (" +
           std::to_string(nearestX) + ", " + std::to_string(nearestY) +
           "): the system is nearly singular there, and the values may be dominated by that shape";
}
