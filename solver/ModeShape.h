// The shapes of the resonances: the eigenvectors phi of  K phi = alpha^2 M phi  over the free
// nodes, found by subspace inverse iteration with the band elimination; their half-wave labels;
// and how much of the load of the fixed edges reaches each of them.
#pragma once

#include <cstdint>
#include <vector>

#include "solver/MeshOperator.h"
#include "solver/Resonance.h"

struct ModeShape {
    std::int32_t index = 0;  // as FindResonances numbers the resonances, from 1
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

// The shapes of the resonances first..last, with the participation of the load of the option.
// Requires 1 <= first <= last <= ResonanceCount(divX, divY). The result does not depend on the
// number of threads.
std::vector<ModeShape> FindShapes(const ResonanceSearch& search, bool option, std::int32_t first,
                                  std::int32_t last);

// pi sqrt((kx / 15)^2 + (ky / 5)^2): the resonance of the continuous membrane with kx half-waves
// along x and ky along y, for the same edges.
double ContinuumAlpha(std::int32_t kx, std::int32_t ky);

// The rules every shape follows, wherever it was found.
// phi^T (K - alpha^2 M) u over the free nodes, u the load of the fixed edges.
double Participation(const MeshOperator& mesh, const NodeVector& phi, double alpha);
// Within a cluster, the M-orthonormal shapes turned by a Householder reflection so that the
// participation at alpha falls on the first alone.
void TurnTowardsTheLoad(const MeshOperator& mesh, std::vector<NodeVector>& phi, double alpha);
// The shapes of a cluster, resonances lo, lo + 1, ... with their alphas (one or more within the
// cluster tolerance of each other) and M-orthonormal eigenvectors phi: turned towards the load,
// signed, labelled and given their participations.
std::vector<ModeShape> ClusterOfShapes(const MeshOperator& mesh, std::int32_t lo,
                                       const std::vector<double>& alphas,
                                       std::vector<NodeVector> phi);
// The node of the component of largest magnitude, the first of them in node order: the shape
// is signed so that it is positive.
int LargestNode(const NodeVector& phi);
