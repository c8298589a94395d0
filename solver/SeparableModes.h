// The modes of the regular grid in closed form. The bilinear element's matrices are products of
// those of linear elements along x and along y, K = Kx (x) My + Mx (x) Ky and M = Mx (x) My, so
// every shape is a sampled sine along x times a sampled cosine along y, at the sum of the two
// lines' eigenvalues. For the many resonances of a sweep, these closed forms start one step of
// inverse iteration each, checked against the assembled operators and the solver's own counts.
#pragma once

#include <cstdint>
#include <vector>

#include "solver/ModeShape.h"
#include "solver/Resonance.h"

// The participation of each listed resonance (its number, 1..ResonanceCount(divX, divY)), with
// the load of the option, clusters turned and shapes signed by FindShapes' rules. Each closed
// form, checked against the assembled operators and its spectrum against every count in
// search.known, starts one step of inverse iteration factored beside its resonance or cluster,
// as FindShapes factors. Should any check fail, FindShapes gives them all.
std::vector<double> FindParticipations(const ResonanceSearch& search, bool option,
                                       const std::vector<std::int32_t>& numbers);

// The n lowest modes of the mesh in closed form, by increasing lambda, then kx, then ky (the
// order of the whole spectrum), found without listing the rest: O(n log divX). Each resonance
// is SeparableResonance's. Requires 0 <= n <= ResonanceCount(divX, divY).
struct ClosedFormMode {
    double alpha;
    std::int32_t kx, ky;
};
std::vector<ClosedFormMode> LowestSeparableModes(std::int32_t divX, std::int32_t divY,
                                                 Scheme scheme, std::int32_t n);

// The shapes of the resonances first..last in closed form, the sampled products M-normalised,
// each cluster within kClusterTolerance (a degenerate pair among them) turned towards the load
// of the option and signed as FindShapes turns and signs them, with their participations.
// Requires 1 <= first <= last <= ResonanceCount(divX, divY).
std::vector<ModeShape> SeparableShapes(const ResonanceSearch& search, bool option,
                                       std::int32_t first, std::int32_t last);

// The resonance of the mode with kx half-waves along x and ky along y of a divX x divY mesh, in
// closed form: the square root of the sum of the two lines' eigenvalues, those of the scheme.
// Requires 1 <= kx < divX and 0 <= ky <= divY.
double SeparableResonance(std::int32_t divX, std::int32_t divY, std::int32_t kx, std::int32_t ky,
                          Scheme scheme = Scheme::Standard);
