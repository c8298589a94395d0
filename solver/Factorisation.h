// A factorisation of the constrained system alpha^2 M - K that ZeroSystem, AssembleElements and
// ApplyBoundary leave in a record sized to its mesh: the one interface of the single solve, of
// the shifted systems of the counts, of inverse iteration and of Lanczos. The band elimination
// (BandFactorisation.cpp) and the sparse LDL^T (SparseFactor) implement it; MakeFactorisation
// (SolverChoice.cpp) makes the one a SolverForm names.
#pragma once

#include <memory>

#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"
#include "solver/SolverChoice.h"

class Factorisation {
public:
    virtual ~Factorisation() = default;

    // Factors the record's system, which the factorisation may overwrite (the band's does, in
    // place), and returns the inertia of the pivots: congruent to the system's, so it counts the
    // resonances below alpha. firstBadRow is the first pivot, in the order of the factorisation,
    // that is zero or not finite.
    virtual BandInertia Factor(SizedRecord& record) = 0;
    // w[1..nodes] in place: the solution of the factored system with the right-hand side w.
    virtual void Solve(SizedRecord& record, double* w) = 0;
    // Factor and Solve of the record's own right-hand side m_W, as one computation of the
    // record solves it.
    virtual BandInertia SolveRecordSystem(SizedRecord& record) = 0;
};

// The factorisation of the form.
std::unique_ptr<Factorisation> MakeFactorisation(SolverForm form);
