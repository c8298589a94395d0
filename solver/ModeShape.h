// The shapes of the resonances: the eigenvectors phi of  K phi = alpha^2 M phi  over the free
// nodes, found by inverse iteration with the band elimination; their half-wave labels; and how
// much of the load of the fixed edges reaches each of them.
#pragma once

#include <cstdint>
#include <vector>

#include "solver/Resonance.h"

struct ModeShape {
    std::int32_t index = 0;  // as FindModes numbers the resonances, from 1
    double alpha = 0.0;
    // phi[n] for the nodes n = 1..nNode, phi[0] unused: 0 on the fixed edges, phi^T M phi = 1,
    // and its component of largest magnitude (the first of them in node order) positive.
    std::vector<double> phi;
    std::int32_t kx = 0;  // 1 + the sign changes along x, through the node of largest magnitude
    std::int32_t ky = 0;  // the sign changes along y through the same node
    // phi^T (K_fb - alpha^2 M_fb) u_b, u_b the values of the fixed edges: near alpha the
    // solution behaves like phi participation / (alpha'^2 - alpha^2).
    double participation = 0.0;
};

// Resonances whose alphas lie within this relative distance of each other, directly or through
// others, form a cluster. A cluster's shapes are M-orthonormal, and turned so that all their
// participation falls on the first.
inline constexpr double kClusterTolerance = 1e-8;

// The shapes of the resonances first..last, with the participation of the load of the option.
// Requires 1 <= first <= last <= ModeCount(divX, divY). The result does not depend on the
// number of threads.
std::vector<ModeShape> FindShapes(const ModeSearch& search, bool option, std::int32_t first,
                                  std::int32_t last);

// pi sqrt((kx / 15)^2 + (ky / 5)^2): the resonance of the continuous membrane with kx half-waves
// along x and ky along y, for the same edges.
double ContinuumAlpha(std::int32_t kx, std::int32_t ky);

// The participation of each listed resonance (its number and an alpha near it, as FindModesIn
// finds them at any tolerance; -a' stands for a'), with the load of the option, clusters turned
// and shapes signed by FindShapes' rules. On the regular grid the shapes are products of sampled
// sines along x and cosines along y: each such closed form, checked against the assembled
// operators and its spectrum against every count in search.known, starts one step of inverse
// iteration factored beside its resonance or cluster, as FindShapes factors. Should any check
// fail, FindShapes gives them all. For the many resonances of a sweep. Requires every number to
// lie in 1..ModeCount(divX, divY).
std::vector<double> FindParticipations(const ModeSearch& search, bool option,
                                       const std::vector<ResonanceInInterval>& near);
