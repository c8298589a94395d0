// alpha^2 M - K of a mesh with its fixed nodes, assembled at a shift and factored in the form the
// solver chooser takes for the mesh (the band elimination, or the sparse LDL^T where the band is
// wide; their pivots count alike), nudged to a neighbouring double where a pivot vanishes. The
// count of the resonances below a shift and the solves of inverse iteration both take it from
// here.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"
#include "solver/Factorisation.h"

// Resonant a' with 0 < a' < |alpha| from a record just factored at alpha, by SolveBand or
// FactorBand: by Sylvester's law of inertia, its positive pivots less its fixed nodes.
// Meaningful only when the inertia has no bad row.
template <class R>
std::int32_t ResonancesBelow(const R& factored, const BandInertia& inertia)
{
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
    ShiftedFactor(std::int32_t divX, std::int32_t divY);

    struct Factored {
        double alpha;  // the shift the factors are of
        BandInertia inertia;
    };
    // Assembles and factors at alpha; where a pivot vanishes, at the next double towards
    // `towards` instead, up to kNudges times.
    Factored FactorNear(double alpha, double towards);

    // Resonant a' below the shift of the last factorisation, which must have no bad row.
    std::int32_t ResonancesBelow(const BandInertia& inertia) const;

    // x = A^-1 b with the factors, over every node: b[n] for n = 1..nodes, 0 on the fixed nodes.
    void Solve(const std::vector<double>& b, std::vector<double>& x);

private:
    std::unique_ptr<SizedRecord> m_record;
    std::unique_ptr<Factorisation> m_factor;
};
