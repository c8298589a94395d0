// The limits of the arguments beyond the dialog's fields.
#include "command/RunArguments.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

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

std::string ByteText(double bytes)
{
    const char* units[] = {"bytes", "kB", "MB", "GB", "TB", "PB", "EB"};
    int u = 0;
    while (bytes >= 1000.0 && u < 6) {
        bytes /= 1000.0;
        ++u;
    }
    char text[32];
    std::snprintf(text, sizeof text, bytes < 10.0 && u > 0 ? "%.1f %s" : "%.0f %s", bytes,
                  units[u]);
    return text;
}

std::optional<std::string> MeshOverBudget(std::int64_t divX, std::int64_t divY, int copies,
                                          double budget, std::string_view budgetName)
{
    const std::string mesh = "a " + std::to_string(divX) + " x " + std::to_string(divY) + " mesh";
    const std::optional<std::uint64_t> bytes = SizedRecordBytes(divX, divY);
    if (!bytes)
        return mesh + " has more nodes than a record can number (2^31 - 1)";
    const double need = static_cast<double>(*bytes) * copies;
    if (need <= budget)
        return std::nullopt;
    const std::string threads =
        copies > 1 ? " for its " + std::to_string(copies) + " threads" : std::string();
    return mesh + " needs " + ByteText(need) + threads + ", more than " + std::string(budgetName);
}

std::optional<std::string> MeshTooLarge(std::int64_t divX, std::int64_t divY, int copies)
{
    const std::uint64_t memory = PhysicalMemory();
    const double budget = memory == 0 ? std::numeric_limits<double>::infinity()
                                      : 0.5 * static_cast<double>(memory);
    return MeshOverBudget(divX, divY, copies, budget,
                          "half of this machine's " + ByteText(static_cast<double>(memory)));
}

bool ThreadsAccepted(long long threads)
{
    return threads >= 1 && threads <= kMostThreads;
}

int EveryProcessor()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

ResonanceSearch MeshSearch(std::int32_t divX, std::int32_t divY, int threads)
{
    ResonanceSearch search;
    search.divX = divX;
    search.divY = divY;
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
