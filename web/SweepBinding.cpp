// The page's sweep over alpha, point block by point block as the worker asks for them, and the
// resonance lines of its plot, numbered as --modes numbers them.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command/InputConversion.h"
#include "command/RunArguments.h"
#include "command/Sweep.h"
#include "present/ReportText.h"
#include "web/Page.h"

using namespace web;

namespace {

// The number of the resonance that line k of a sweep's plot draws: one more than the resonances
// below it, which the sweep point nearest below it in magnitude counted (none below 0), and the
// lines on its side between that point and it. A line at -a' is the resonance a'.
std::int32_t LineIndex(const std::vector<SweepPoint>& points,
                       const std::vector<ResonanceLine>& lines, std::size_t k)
{
    const double a = std::fabs(lines[k].alpha);
    double from = 0.0;
    std::int32_t below = 0;
    for (const SweepPoint& p : points)
        if (std::fabs(p.alpha) <= a && std::fabs(p.alpha) >= from) {
            from = std::fabs(p.alpha);
            below = p.modesBelow;
        }
    const bool negative = std::signbit(lines[k].alpha);
    for (std::size_t j = 0; j < lines.size(); ++j) {
        const double b = std::fabs(lines[j].alpha);
        if (j != k && std::signbit(lines[j].alpha) == negative && b >= from &&
            (b < a || (b == a && j < k)))
            ++below;
    }
    return below + 1;
}

}  // namespace

extern "C" {

// Sets up a sweep of the divx x divy mesh (counts of at least 1) with the element of the scheme
// named, from the text "A0:A1:N", read as membrane-solve reads --sweep: finite decimal bounds,
// A0 <= A1, N a whole number of at least 2. Returns "" when it is set up, else what is wrong
// with the text, in one line.
EMSCRIPTEN_KEEPALIVE const char* membrane_sweep_setup(int divx, int divy, const char* range,
                                                      int option, const char* schemeName)
{
    Page& page = ThePage();
    page.swept.clear();
    page.points = 0;
    page.sweepText.clear();
    if (divx < 1 || divy < 1) {
        page.sweepText = "the sweep needs a mesh of at least 1 x 1";
        return page.sweepText.c_str();
    }
    const std::optional<AlphaRange> interval =
        ReadAlphaRange("the sweep", range, true, page.sweepText);
    if (!interval)
        return page.sweepText.c_str();
    const std::optional<std::int64_t> n = ReadSweepCount(interval->count);
    if (!n) {
        page.sweepText = "the sweep " + SweepCountRefusal(interval->count);
        return page.sweepText.c_str();
    }
    const std::optional<Scheme> scheme = ReadScheme(schemeName);
    if (!scheme) {
        page.sweepText = "the scheme " + SchemeRefusal(schemeName);
        return page.sweepText.c_str();
    }
    page.sweepMesh = {divx, divy, option != 0, *scheme};
    page.a0 = interval->a0;
    page.a1 = interval->a1;
    page.points = *n;
    page.swept.reserve(static_cast<std::size_t>(page.points));
    return page.sweepText.c_str();
}

EMSCRIPTEN_KEEPALIVE double membrane_sweep_points() { return static_cast<double>(ThePage().points); }

// The next count points of the sweep set up, as CSV rows of membrane-solve --sweep (its header
// before the first); "" when every point is done.
EMSCRIPTEN_KEEPALIVE const char* membrane_sweep_next(int count)
try {
    Page& page = ThePage();
    const auto first = static_cast<std::int64_t>(page.swept.size());
    const std::int64_t take = std::min<std::int64_t>(count, page.points - first);
    page.sweepText = first == 0 && take > 0 ? std::string(kSweepCsvHeader) : "";
    if (take <= 0)
        return page.sweepText.c_str();
    for (const SweepPoint& p :
         RunSweep(page.sweepMesh, page.a0, page.a1, page.points, first, take, 1)) {
        page.sweepText += SweepCsvRow(p);
        page.swept.push_back(p);
    }
    return page.sweepText.c_str();
} catch (const std::bad_alloc&) {
    return MemoryRefused(ThePage().sweepText);
} catch (const std::length_error&) {
    return MemoryRefused(ThePage().sweepText);
}

// The resonance lines of the finished sweep as --plot draws them, and each one's number among
// the resonances: a JSON array of {alpha, excited, index}.
EMSCRIPTEN_KEEPALIVE const char* membrane_sweep_lines()
{
    Page& page = ThePage();
    page.sweepText = "[]";
    if (page.swept.size() != static_cast<std::size_t>(page.points) || page.points == 0)
        return page.sweepText.c_str();
    const ResonanceSearch search =
        MeshSearch(page.sweepMesh.divX, page.sweepMesh.divY, 1, page.sweepMesh.scheme);
    const std::vector<ResonanceLine> lines =
        SweepResonanceLines(search, page.sweepMesh.option, page.a0, page.a1, page.swept);
    std::vector<std::string> drawn;
    for (std::size_t k = 0; k < lines.size(); ++k)
        drawn.push_back(JsonFields()
                            .Text("alpha", Shortest(lines[k].alpha))
                            .Flag("excited", lines[k].excited)
                            .Count("index", LineIndex(page.swept, lines, k))
                            .Object());
    page.sweepText = JsonArray(drawn);
    return page.sweepText.c_str();
}

}  // extern "C"
