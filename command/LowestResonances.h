// The n lowest resonances of a mesh, as --modes and membrane.modes list them: within the
// dialog's limits by bisection on the inertia, the alphas they have always been; beyond them by
// shift-invert Lanczos with one factorisation, confirmed by the inertia, or by bisection where
// Lanczos is not confirmed.
#pragma once

#include <cstdint>
#include <vector>

#include "solver/Resonance.h"

std::vector<double> LowestResonances(const ResonanceSearch& search, std::int32_t n);
