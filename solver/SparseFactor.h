// The constrained system of a record sized to its mesh, as a sparse matrix factored by LDL^T
// in the grid's nested dissection order (Eigen's SimplicialLDLT on rows so ordered). The band
// elimination costs about nx ny^3 operations; on large meshes the sparse factorisation costs far
// less. Its pivots D give the inertia as the band's do: P A P^T = L D L^T is congruent to A.
#pragma once

#include <memory>

#include "solver/Factorisation.h"
#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"

class SparseFactor final : public Factorisation {
public:
    SparseFactor();
    ~SparseFactor() override;
    SparseFactor(const SparseFactor&) = delete;
    SparseFactor& operator=(const SparseFactor&) = delete;

    // Factors the constrained matrix that ZeroSystem, AssembleElements and ApplyBoundary left
    // in the record's band (which it only reads), and returns the inertia of its pivots.
    BandInertia Factor(SizedRecord& record) override;
    // Where a pivot was bad, every value is not a number.
    void Solve(SizedRecord& record, double* w) override;
    BandInertia SolveRecordSystem(SizedRecord& record) override;
    // The solve itself, which needs no record.
    void Solve(double* w) const;

private:
    struct Factors;
    std::unique_ptr<Factors> m_factors;
    bool m_good = false;
};
