// alpha^2 M - K of a mesh with its fixed nodes, assembled at a shift and factored by the band
// elimination, nudged to a neighbouring double where a pivot vanishes. The count of the
// resonances below a shift and the solves of inverse iteration both take it from here.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "solver/MembraneModel.h"

// Resonant a' with 0 < a' < |alpha| from a record just factored at alpha, by SolveBand or
// FactorBand: by Sylvester's law of inertia, its positive pivots less its fixed nodes.
// Meaningful only when the inertia has no bad row.
std::int32_t ResonancesBelow(const MembraneModel& factored, const BandInertia& inertia);

class ShiftedFactor {
public:
    // Neighbouring doubles tried when a pivot vanishes exactly; one is always enough in practice.
    static constexpr int kNudges = 64;

    // The counts and the boundary table of the mesh, once. Requires 1 <= divX <= 90 and
    // 1 <= divY <= 30.
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
    std::unique_ptr<MembraneModel> m_record;
};
