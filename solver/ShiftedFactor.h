// alpha^2 M - K of a mesh with its fixed nodes, assembled at a shift and factored in the form the
// solver chooser takes for the mesh (the band elimination, or the sparse LDL^T where the band is
// wide; their pivots count alike), nudged to a neighbouring double where a pivot vanishes. The
// count of the resonances below a shift and the solves of inverse iteration both take it from
// here.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"
#include "solver/Factorisation.h"

// Resonant alphas of a mesh, counted with multiplicity: one per free node, (divX - 1) * (divY + 1),
// since the left and right edges are fixed.
inline std::int32_t ResonanceCount(std::int32_t divX, std::int32_t divY)
{
    return (divX - 1) * (divY + 1);
}

// Every resonant alpha of a divX x divY mesh lies below this bound. Each line's generalised
// eigenvalues are below 12 / h^2 (the last of the standard element's (6 / h^2)(1 - cos t) /
// (2 + cos t) at t = pi), and a resonance is the sum of one along x and one along y. Above the
// bound alpha^2 may overflow and the pivots count nothing, while every resonance is below.
inline double ResonanceCeiling(std::int32_t divX, std::int32_t divY)
{
    const double x = divX / 15.0, y = divY / 5.0;
    return std::sqrt(12.0 * x * x + 12.0 * y * y) * (1.0 + 1e-9);
}

// Resonant a' with 0 < a' < |alpha| from a record just factored at alpha, by SolveBand or
// FactorBand: by Sylvester's law of inertia, its positive pivots less its fixed nodes; above
// ResonanceCeiling, all of them. Meaningful only when the inertia has no bad row or alpha is
// above the ceiling.
template <class R>
std::int32_t ResonancesBelow(const R& factored, const BandInertia& inertia)
{
    if (std::fabs(factored.m_dAlpha) > ResonanceCeiling(factored.m_nDivX, factored.m_nDivY))
        return ResonanceCount(factored.m_nDivX, factored.m_nDivY);
    // Every prescribed node is a row and a column of the identity: one pivot 1.0 each.
    std::int32_t fixed = 0;
    for (int e = 1; e <= factored.m_nBound; ++e)
        if (factored.m_bndKind[e] != BND_NATURAL)
            ++fixed;
    return inertia.positive - fixed;
}

class ShiftedFactor {
public:
    // Neighbouring doubles tried when a pivot vanishes exactly; one is always enough in practice.
    static constexpr int kNudges = 64;

    // The counts and the boundary table of the mesh, once, on a record sized to it. Requires
    // counts of at least 1 whose record fits in memory (SizedRecordBytes).
    ShiftedFactor(std::int32_t divX, std::int32_t divY, Scheme scheme = Scheme::Standard);

    struct Factored {
        double alpha;  // the shift the factors are of
        BandInertia inertia;
    };
    // Assembles and factors at alpha; where a pivot vanishes, at the next double towards
    // `towards` instead, up to kNudges times.
    Factored FactorNear(double alpha, double towards);

    // Resonant a' below the shift of the last factorisation, which must have no bad row.
    std::int32_t ResonancesBelow(const BandInertia& inertia) const;
    // Whether every resonance of the mesh lies below |alpha|, which then needs no factorisation.
    bool AboveEveryResonance(double alpha) const;
    std::int32_t Resonances() const;

    // x = A^-1 b with the factors, over every node: b[n] for n = 1..nodes, 0 on the fixed nodes.
    void Solve(const std::vector<double>& b, std::vector<double>& x);

private:
    std::unique_ptr<SizedRecord> m_record;
    std::unique_ptr<Factorisation> m_factor;
};
