// The small symmetric eigenproblems of Rayleigh-Ritz: a few rows, solved by cyclic Jacobi
// rotations, which keep the eigenvectors orthonormal to rounding however close the values lie.
#pragma once

#include <vector>

using DenseMatrix = std::vector<std::vector<double>>;  // a[row][column]

// The eigenvalues of the symmetric b x b matrix a, ascending, and its eigenvectors, the columns
// of q in the same order.
void SymmetricEigen(DenseMatrix a, std::vector<double>& values, DenseMatrix& q);
