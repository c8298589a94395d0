// The limits of the arguments beyond the dialog's fields.
#include "command/RunArguments.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

#include "command/InputConversion.h"
#include "present/ReportText.h"
#include "solver/SeparableSolve.h"
#include "solver/SizedRecord.h"

namespace {

// This machine's physical memory in bytes; 0 where it cannot be told.
std::uint64_t PhysicalMemory()
{
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = ::sysconf(_SC_PHYS_PAGES), size = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && size > 0)
        return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size);
#endif
    return 0;
}

}  // namespace

std::string ByteText(double bytes, double above)
{
    const char* units[] = {"bytes", "kB", "MB", "GB", "TB", "PB", "EB"};
    int u = 0;
    double scale = 1.0;  // bytes in the unit
    while (bytes / scale >= 1000.0 && u < 6) {
        scale *= 1000.0;
        ++u;
    }
    double shown = bytes / scale;
    const bool tenths = shown < 10.0 && u > 0;
    const double step = tenths ? 10.0 : 1.0;
    shown = std::round(shown * step) / step;
    // Rounded up where rounding to nearest would not show more than `above`.
    if (shown * scale <= above)
        shown = std::ceil(bytes / scale * step) / step;
    char text[32];
    std::snprintf(text, sizeof text, tenths && shown < 10.0 ? "%.1f %s" : "%.0f %s", shown,
                  units[u]);
    return text;
}

std::optional<std::uint64_t> SolveBytes(std::int64_t divX, std::int64_t divY, SolverForm form)
{
    return form == SolverForm::Separable ? SeparableSolveBytes(divX, divY)
                                         : SizedRecordBytes(divX, divY);
}

std::optional<std::string> MeshOverBudget(std::int64_t divX, std::int64_t divY, int copies,
                                          double budget, std::string_view budgetName,
                                          SolverForm form)
{
    const std::string mesh = "a " + std::to_string(divX) + " x " + std::to_string(divY) + " mesh";
    const std::optional<std::uint64_t> bytes = SolveBytes(divX, divY, form);
    if (!bytes)
        return mesh + " has more nodes than a record can number (2^31 - 1)";
    const double need = static_cast<double>(*bytes) * copies;
    if (need <= budget)
        return std::nullopt;
    const std::string threads =
        copies > 1 ? " for its " + std::to_string(copies) + " threads" : std::string();
    return mesh + " needs " + ByteText(need, budget) + threads + ", more than " +
           std::string(budgetName);
}

std::string AllocationRefusal(std::int64_t divX, std::int64_t divY, int copies, SolverForm form)
{
    std::string text = "the memory for a " + std::to_string(divX) + " x " + std::to_string(divY) +
                       " mesh could not be allocated";
    if (const std::optional<std::uint64_t> bytes = SolveBytes(divX, divY, form))
        text += ": it needs " + ByteText(static_cast<double>(*bytes) * copies) + " or more";
    return text;
}

std::optional<std::string> MeshTooLarge(std::int64_t divX, std::int64_t divY, int copies,
                                        SolverForm form)
{
    const std::uint64_t memory = PhysicalMemory();
    const double budget = memory == 0 ? std::numeric_limits<double>::infinity()
                                      : 0.5 * static_cast<double>(memory);
    return MeshOverBudget(divX, divY, copies, budget,
                          "half of this machine's " + ByteText(static_cast<double>(memory)), form);
}

bool ThreadsAccepted(long long threads)
{
    return threads >= 1 && threads <= kMostThreads;
}

int EveryProcessor()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

ResonanceSearch MeshSearch(std::int32_t divX, std::int32_t divY, int threads, Scheme scheme)
{
    ResonanceSearch search;
    search.divX = divX;
    search.divY = divY;
    search.scheme = scheme;
    search.threads = threads;
    return search;
}

std::string NoResonanceText(std::int32_t divX, std::int32_t divY)
{
    return "the " + std::to_string(divX) + " x " + std::to_string(divY) +
           " mesh has no resonance: every node lies on a fixed edge";
}

IntervalFault CheckInterval(double a0, double a1)
{
    return a0 > a1 ? IntervalFault::Reversed : IntervalFault::None;
}

std::optional<std::int32_t> ReadDivisionCount(std::string_view text)
{
    const std::optional<long long> n = ReadWholeNumber(text);
    if (n && *n >= 1 && *n <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(*n);
    return std::nullopt;
}

std::string DivisionCountRefusal(std::string_view text)
{
    const std::optional<long long> n = ReadWholeNumber(text);
    const std::string range = n && *n > std::numeric_limits<std::int32_t>::max()
                                  ? "from 1 to " +
                                        std::to_string(std::numeric_limits<std::int32_t>::max())
                                  : "from 1 up";
    return "takes a whole number " + range + ", not " + QuotedText(text);
}

std::optional<AlphaRange> ReadAlphaRange(std::string_view name, std::string_view text,
                                         bool withCount, std::string& error)
{
    const std::vector<std::string_view> fields = ColonFields(text);
    const std::string named(name), shown = QuotedText(text);
    if (fields.size() != (withCount ? 3u : 2u)) {
        error = named + " takes " + (withCount ? "A0:A1:N" : "A0:A1") + ", not " + shown;
        return std::nullopt;
    }
    const std::optional<double> a0 = ReadFiniteNumber(fields[0]);
    const std::optional<double> a1 = ReadFiniteNumber(fields[1]);
    if (!a0 || !a1) {
        error = named + " takes finite decimal numbers as bounds, not " +
                QuotedNumber(fields[a0 ? 1 : 0]);
        return std::nullopt;
    }
    if (CheckInterval(*a0, *a1) == IntervalFault::Reversed) {
        error = named + " needs A0 <= A1, not " + Shortest(*a0) + " > " + Shortest(*a1);
        return std::nullopt;
    }
    return AlphaRange{*a0, *a1, withCount ? std::string(fields[2]) : std::string()};
}

std::optional<Scheme> ReadScheme(std::string_view name)
{
    for (const Scheme scheme : {Scheme::Standard, Scheme::LowDispersion})
        if (name == SchemeName(scheme))
            return scheme;
    return std::nullopt;
}

std::string SchemeRefusal(std::string_view name)
{
    return "takes " + std::string(kSchemeNames) + ", not " + QuotedText(name);
}
