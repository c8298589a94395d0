// The vector kernels of the forward elimination, each in a file of its own compiled for its
// instruction set. Their interface is plain pointers and counts, so that nothing else is
// compiled for those instruction sets and no code of theirs runs where they are missing.
#pragma once

// Rows 1..nNode of the band k (row r from k + r * stride, columns 1..nBand in use, nBand at
// most 33) and, when carryRhs, the right-hand side w (w[1..nNode]).
void EliminateBandAvx2(double* k, int stride, double* w, int nNode, int nBand, bool carryRhs);
void EliminateBandAvx512(double* k, int stride, double* w, int nNode, int nBand, bool carryRhs);
