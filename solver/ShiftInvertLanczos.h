// The lowest resonances of a large mesh by shift-invert Lanczos (Spectra's SymGEigsShiftSolver)
// on the free nodes' pencil K phi = lambda M phi, driven by the solver's own sparse LDL^T of the
// constrained system at the shift 0, one factorisation in all; the inertia count of two more
// then proves that no resonance below the last is missing. Bisection spends some forty
// factorisations a resonance.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "solver/ModeShape.h"
#include "solver/Resonance.h"

// The n lowest resonant alphas, increasing, with multiplicity; nothing where Lanczos does not
// converge or the inertia does not confirm them (then FindResonances gives them). Requires
// 1 <= n <= ResonanceCount(divX, divY).
std::optional<std::vector<double>> LanczosResonances(const ResonanceSearch& search,
                                                     std::int32_t n);

// Whether the inertia proves `alphas` (increasing, as Lanczos found them) the n lowest, n their
// count: exactly n - 1 resonances lie below a hair under the last, and n at least below a hair
// over it. Lanczos' results stand only where this holds.
bool InertiaProvesLowest(const ResonanceSearch& search, const std::vector<double>& alphas);

// The shapes of the resonances first..last from the Lanczos vectors of the lowest ones, a cluster
// cut by last completed first, by FindShapes' rules: turned towards the load of the option,
// signed, labelled. Nothing where Lanczos fails, as above. Requires
// 1 <= first <= last <= ResonanceCount(divX, divY).
std::optional<std::vector<ModeShape>> LanczosShapes(const ResonanceSearch& search, bool option,
                                                    std::int32_t first, std::int32_t last);
