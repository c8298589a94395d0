// The choice of method for the lowest resonances and their shapes.
#include "command/LowestResonances.h"

#include "command/ComputeCommand.h"
#include "solver/ShiftInvertLanczos.h"

std::vector<double> LowestResonances(const ResonanceSearch& search, std::int32_t n)
{
    if (!WithinDialogLimits(search.divX, search.divY) && n <= kLanczosMost)
        if (auto alphas = LanczosResonances(search, n))
            return std::move(*alphas);
    return FindResonances(search, 1, n);
}

std::vector<ModeShape> ResonanceShapes(const ResonanceSearch& search, bool option,
                                       std::int32_t first, std::int32_t last)
{
    if (!WithinDialogLimits(search.divX, search.divY) && last <= kLanczosMost)
        if (auto shapes = LanczosShapes(search, option, first, last))
            return std::move(*shapes);
    return FindShapes(search, option, first, last);
}
