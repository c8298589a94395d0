// The forward elimination of the band in the forms this processor can run: a portable one, and
// vector forms for AVX2 and AVX-512 chosen once at run time. Every form gives every entry of
// m_K and m_W the same IEEE operations, on the same operands, in the same order, so all of them
// leave the same bits.
#pragma once

#include <vector>

#include "solver/MembraneModel.h"

enum class EliminationForm {
    Portable,  // right-looking, row i updating the rows below it; any processor
    Avx2,      // left-looking, row j gathering its updates in 4-wide registers
    Avx512,    // the same in 8-wide registers with lane masks
};

// "portable", "avx2", "avx512".
const char* EliminationFormName(EliminationForm form);

// The forms this processor and its operating system can run, the portable one first.
std::vector<EliminationForm> SupportedEliminationForms();

// The form SolveBand and FactorBand use, chosen at the first call: the widest supported one,
// unless the environment variable MEMBRANE_ELIMINATION names another supported form.
EliminationForm ActiveEliminationForm();

// Forward elimination of rows 1..m_nNode of m_K without pivoting, and of m_W when carryRhs:
// row i's multipliers replace its entries right of the diagonal, its pivot stays in column 1,
// and m_W[j] is updated with m_W[i] before m_W[i] is divided by its pivot. form must be
// supported.
void EliminateBand(MembraneModel& record, bool carryRhs, EliminationForm form);

// SolveBand in the given form: the forward elimination with m_W, then the back substitution,
// rows in decreasing order, columns in increasing order. form must be supported.
void SolveBandIn(MembraneModel& record, EliminationForm form);

// The solve of a further right-hand side m_W with the factors that FactorBand (or SolveBand) left
// in m_K: the right-hand side's part of the forward elimination, with the multipliers read back,
// then the back substitution. The same operations in the same order as SolveBand gives its
// right-hand side, so after FactorBand it leaves the bits SolveBand leaves.
void SubstituteBand(MembraneModel& record);
