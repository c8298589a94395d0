// The choice of method for the lowest resonances.
#include "command/LowestResonances.h"

#include "command/ComputeCommand.h"
#include "solver/ShiftInvertLanczos.h"

std::vector<double> LowestResonances(const ResonanceSearch& search, std::int32_t n)
{
    if (!WithinDialogLimits(search.divX, search.divY))
        if (auto alphas = LanczosResonances(search, n))
            return std::move(*alphas);
    return FindResonances(search, 1, n);
}
