// The system of a regular grid solved by fast diagonalisation (Lynch, Rice and Thomas): on the
// grid alpha^2 M - K is a Kronecker sum of one line of elements along x and one along y, whose
// generalised eigenvectors are sampled sines along x (both ends fixed) and sampled cosines along
// y (both ends free). The right-hand side is transformed along both (a DST-I and a DCT-I), each
// coefficient divided by its eigenvalue alpha^2 mu_x mu_y - kappa_x mu_y - mu_x kappa_y, and the
// result transformed back: O(N log N) work and memory in proportion to the nodes, for either
// scheme. No band, no factorisation.
#pragma once

#include <cstdint>
#include <optional>

#include "solver/Element.h"
#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"

// The bytes a separable solve of a divX x divY mesh needs: its values, one work array of the
// free nodes, and the boundary table. Nothing when the counts do not fit the 32-bit numbering.
inline std::optional<std::uint64_t> SeparableSolveBytes(std::int64_t divX, std::int64_t divY)
{
    if (!SizedRecordBytes(divX, divY))
        return std::nullopt;
    const auto nodes = static_cast<std::uint64_t>((divX + 1) * (divY + 1));
    const auto bounds = static_cast<std::uint64_t>(2 * (divX + divY));
    return 8 * (nodes + 1) + 16 * (bounds + 1);
}

// Where the eigenvalues of the system lie against zero, as the band's pivots would count them
// (BandInertia: every fixed node one positive pivot of the identity), and the divisor of smallest
// magnitude relative to the largest: how close alpha lies to a resonance of the mesh.
struct SeparableOutcome {
    BandInertia inertia;
    double smallestDivisor = 0.0;  // |d|min / |d|max
};

// The values w[1..nodes] of the divX x divY mesh of the lenX x lenY domain at alpha, with the
// edges of the boundary table given (bndNode, bndKind, bndValue, entries 1..bounds: fixed values
// prescribed, natural ones loads), solved with the scheme's element. A zero divisor (alpha
// exactly at a resonance) leaves values that are not finite. Counts of at least 1.
SeparableOutcome SolveSeparable(std::int32_t divX, std::int32_t divY, double lenX, double lenY,
                                double alpha, Scheme scheme, const std::int32_t* bndNode,
                                const std::int32_t* bndKind, const double* bndValue,
                                std::int32_t bounds, double* w);
