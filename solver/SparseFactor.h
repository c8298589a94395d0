// The constrained system of a record sized to its mesh, as a sparse matrix factored by LDL^T
// in the grid's nested dissection order (Eigen's SimplicialLDLT on rows so ordered). The band
// elimination costs about nx ny^3 operations; on large meshes the sparse factorisation costs far
// less. Its pivots D give the inertia as the band's do: P A P^T = L D L^T is congruent to A.
#pragma once

#include <memory>

#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"

class SparseFactor {
public:
    SparseFactor();
    ~SparseFactor();
    SparseFactor(const SparseFactor&) = delete;
    SparseFactor& operator=(const SparseFactor&) = delete;

    // Factors the constrained matrix that ZeroSystem, AssembleElements and ApplyBoundary left
    // in the record's band, and returns the inertia of its pivots. firstBadRow is the first
    // pivot, in the order of the factorisation, that is zero or not finite.
    BandInertia Factor(const SizedRecord& record);
    // w[1..n] in place: the solution of the factored system with the right-hand side w. Where
    // a pivot was bad, every value is not a number.
    void Solve(double* w) const;

private:
    struct Factors;
    std::unique_ptr<Factors> m_factors;
    bool m_good = false;
};

// Factor and Solve of the record's own band and right-hand side: m_W[1..m_nNode] in place.
BandInertia SolveSparse(SizedRecord& record);
