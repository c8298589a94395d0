// The limits of the arguments beyond the dialog's fields.
#include "command/RunArguments.h"

#include <algorithm>
#include <cmath>
#include <thread>

bool DivXAccepted(long long divX)
{
    return divX >= 1 && divX <= MembraneModel::kMaxDivX;
}

bool DivYAccepted(long long divY)
{
    return divY >= 1 && divY <= MembraneModel::kMaxDivY;
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
    if (!std::isfinite(a0) || !std::isfinite(a1))
        return IntervalFault::NotFinite;
    return a0 > a1 ? IntervalFault::Reversed : IntervalFault::None;
}
