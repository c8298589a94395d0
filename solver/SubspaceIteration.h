// Subspace inverse iteration on the membrane's pencil K phi = alpha^2 M phi: blocks of vectors
// with M and K times each, solved against the shifted factors, M-orthonormalised, and separated
// by Rayleigh-Ritz; and the clusters of resonances that must be found together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "solver/MeshOperator.h"
#include "solver/Resonance.h"
#include "solver/ShiftedFactor.h"

// A shape has settled when ||K phi - alpha^2 M phi|| <= kSettled ||K|| ||phi||, or when the
// residual, below kStalled, stops falling: rounding bounds what a pair of nearly equal alphas
// can reach.
inline constexpr double kSettled = 1e-13;
inline constexpr double kStalled = 1e-11;
// The shift's distance below a cluster, relative. Nearer, the factors of the nearly singular
// matrix (the elimination does not pivot) blur the solves of a cluster.
inline constexpr double kShift = 1e-6;

// A block of vectors y with M y and K y kept in step (K y only after Rayleigh-Ritz).
struct Block {
    std::vector<NodeVector> y, my, ky;
};

// b start vectors on the free nodes, one for each seed from `seed` on, with M times each.
Block StartBlock(const MeshOperator& mesh, std::size_t b, std::uint64_t seed);

// y <- A^-1 M y on the free nodes, for every vector of the block, with the factors.
void SolveBlock(const MeshOperator& mesh, ShiftedFactor& factor, Block& block);

// Makes the block M-orthonormal by Gram-Schmidt, twice against the vectors before; M y follows
// each step. A vector that loses itself in the others is replaced by a fresh one from `seed`.
void Orthonormalize(const MeshOperator& mesh, Block& block, std::uint64_t seed);

// Replaces the M-orthonormal block by its Ritz vectors of K, with their products, and returns
// their values, increasing.
std::vector<double> RayleighRitz(const MeshOperator& mesh, Block& block);

// ||K x - lambda M x|| / (||K|| ||x||) over the free nodes.
double RelativeResidual(const MeshOperator& mesh, const NodeVector& x, const NodeVector& kx,
                        const NodeVector& mx, double lambda);

// The shapes of a cluster of increasing alphas, resonances lo, lo + 1, ...: inverse iteration
// from a start block of two vectors more, factored kShift below the first alpha, until the
// members' residuals settle. Returns them, M-orthonormal, in the order of the alphas.
std::vector<NodeVector> SettleCluster(const MeshOperator& mesh, ShiftedFactor& factor,
                                      std::int32_t lo, const std::vector<double>& alphas);

// Runs of increasing alphas whose neighbours lie within the cluster tolerance of each other, as
// [begin, end) positions.
std::vector<std::pair<std::size_t, std::size_t>> Clusters(const std::vector<double>& alphas);
