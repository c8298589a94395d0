// The forward elimination of the band in the kernels this processor can run: a portable one, and
// vector kernels for AVX2 and AVX-512 chosen once at run time. Every kernel gives every entry of
// m_K and m_W the same IEEE operations, on the same operands, in the same order, so all of them
// leave the same bits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "solver/BandRef.h"

enum class EliminationKernel {
    Portable,  // right-looking, row i updating the rows below it; any processor
    Avx2,      // left-looking, row j gathering its updates in 4-wide registers
    Avx512,    // the same in 8-wide registers with lane masks
};

// "portable", "avx2", "avx512".
const char* EliminationKernelName(EliminationKernel kernel);

// The kernels this processor and its operating system can run, the portable one first.
std::vector<EliminationKernel> SupportedEliminationKernels();

// The kernel SolveBand and FactorBand use, chosen at the first call: the widest supported one,
// unless the environment variable MEMBRANE_ELIMINATION names another supported kernel (a kernel the
// processor lacks falls back to the widest it has).
EliminationKernel ActiveEliminationKernel();
// Where MEMBRANE_ELIMINATION is set to a name that is no kernel at all, what is wrong with it, in
// one line; otherwise nothing.
std::optional<std::string> EliminationRequestFault();

// Forward elimination of rows 1..nNode of the band without pivoting, and of w when carryRhs:
// row i's multipliers replace its entries right of the diagonal, its pivot stays in column 1,
// and w[j] is updated with w[i] before w[i] is divided by its pivot. kernel must be supported.
// The vector kernels hold a row in registers; a band of more than 33 columns goes to the portable
// kernel, whatever kernel is asked for.
void EliminateBand(const BandRef& band, bool carryRhs, EliminationKernel kernel);

// SolveBand in the given kernel: the forward elimination with w, then the back substitution,
// rows in decreasing order, columns in increasing order. kernel must be supported.
void SolveBandIn(const BandRef& band, EliminationKernel kernel);

// The solve of a further right-hand side w with the factors that FactorBand (or SolveBand) left
// in the band: the right-hand side's part of the forward elimination, with the multipliers read
// back, then the back substitution. The same operations in the same order as SolveBand gives its
// right-hand side, so after FactorBand it leaves the bits SolveBand leaves.
void SubstituteBand(const BandRef& band);

// The same on a record, whose header says where its band lies (BandOf).
template <class R>
void EliminateBand(R& record, bool carryRhs, EliminationKernel kernel)
{
    EliminateBand(BandOf(record), carryRhs, kernel);
}
template <class R>
void SolveBandIn(R& record, EliminationKernel kernel)
{
    SolveBandIn(BandOf(record), kernel);
}
template <class R>
void SubstituteBand(R& record)
{
    SubstituteBand(BandOf(record));
}
