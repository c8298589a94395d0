// The constrained system of a record sized to its mesh, as a sparse matrix factored by LDL^T
// with a fill-reducing ordering (Eigen's SimplicialLDLT with AMD). The band elimination costs
// about nx ny^3 operations; on large meshes the sparse factorisation costs far less. Its pivots
// D give the inertia as the band's do: P A P^T = L D L^T is congruent to A.
#pragma once

#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"

// The band, the right-hand side and the boundary conditions as ApplyBoundary left them in the
// record: factors the matrix, solves for m_W[1..m_nNode] in place and returns the inertia of
// the pivots. firstBadRow is then the first pivot, in the order of the factorisation, that is
// zero or not finite; where there is one the values are not a number, as the band's would be
// from it on.
BandInertia SolveSparse(SizedRecord& record);
