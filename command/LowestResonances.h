// The lowest resonances of a mesh and their shapes, as --modes, --shape, --shapes and the Python
// module find them: within the dialog's limits by bisection on the inertia and inverse
// iteration, the values they have always been; beyond them from shift-invert Lanczos with one
// factorisation, confirmed by the inertia, or as within where Lanczos is not confirmed or the
// resonances lie too high for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "solver/ModeShape.h"
#include "solver/Resonance.h"

// Beyond the dialog's limits, Lanczos finds at most this many lowest resonances: it keeps about
// twice as many vectors as resonances, and beyond this many, inverse iteration at the
// resonances themselves costs less memory and time.
inline constexpr std::int32_t kLanczosMost = 400;

// A gallery of shapes side by side shows at most this many: six rows of six.
inline constexpr std::int32_t kMostGalleryShapes = 36;

// The number of a resonance of the divX x divY mesh, or how many of them, read from its text as
// every front end reads it: a whole number from 1 to the mesh's resonances and `most`. Nothing
// and, in `refusal`, why, after the name of what reads it ("--shapes takes a whole number from 1
// to 36, not '37'"), or that the mesh has no resonance at all.
std::optional<std::int32_t> ReadResonanceNumber(std::string_view name, std::string_view text,
                                                std::int32_t divX, std::int32_t divY,
                                                std::int32_t most, std::string& refusal);

// The n lowest resonant alphas, increasing.
std::vector<double> LowestResonances(const ResonanceSearch& search, std::int32_t n);
// The shapes of the resonances first..last, as FindShapes gives them.
std::vector<ModeShape> ResonanceShapes(const ResonanceSearch& search, bool option,
                                       std::int32_t first, std::int32_t last);
