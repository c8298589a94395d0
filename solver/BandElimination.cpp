// The portable kernel of the forward elimination and the choice among the kernels.
#include "solver/BandElimination.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "solver/MembraneModel.h"

#if defined(__x86_64__)
#include "solver/BandKernels.h"
#endif

namespace {

// The widest band the vector kernels hold in their registers: that of the dialog's largest mesh.
constexpr int kMostVectorBand = MembraneModel::kMaxBand;

// Right-looking: for each row i in increasing order, and each row j = i + m - 1 coupled to it,
// row j from its diagonal on loses q times row i from column m on, q = A(i, j) / pivot(i).
// Each entry of a row j thus receives its updates from the rows i above it in increasing order.
// With kFactor false the matrix holds these factors already, q is read from it, and only the
// right-hand side takes its updates: the forward substitution of a further right-hand side.
template <bool kFactor, bool kCarryRhs>
void EliminatePortable(const BandRef& band)
{
    const int nNode = band.nNode;
    const int nBand = band.nBand;
    double* const w = band.w;
    const auto row = [&](int r) { return band.k + static_cast<std::ptrdiff_t>(r) * band.stride; };
    for (int i = 1; i <= nNode; ++i) {
        double* const rowI = row(i);
        // Row i's right-hand side is final before its rows below take it, and stays so.
        const double wi = w[i];
        const int last = nNode - i + 1 < nBand ? nNode - i + 1 : nBand;  // rows j up to m_nNode
        for (int m = 2; m <= last; ++m) {
            const int j = i + m - 1;
            double q = rowI[m];
            if constexpr (kFactor) {
                q = rowI[m] / rowI[1];
                // Entry by entry, each independent of the others. Entries of row i past m_nNode
                // are zero, so the loop needs no node test. Rows i and j never overlap.
                double* __restrict const dst = row(j) + 1;
                const double* __restrict const src = rowI + m;
                const int len = nBand - m + 1;
                for (int k = 0; k < len; ++k)
                    dst[k] = dst[k] - q * src[k];
                rowI[m] = q;  // the multiplier replaces the entry once the entry has served
            }
            if constexpr (kCarryRhs)
                w[j] = w[j] - q * wi;
        }
        if constexpr (kCarryRhs)
            w[i] = wi / rowI[1];
    }
}

// W(i) is held in a register while it loses the products of its row, one after the other: the
// subtractions stay in their order, they only skip the trips through memory.
void BackSubstitute(const BandRef& band)
{
    const int nNode = band.nNode;
    const int nBand = band.nBand;
    for (int i = nNode; i >= 1; --i) {
        const double* const rowI = band.k + static_cast<std::ptrdiff_t>(i) * band.stride;
        const double* const wFrom = band.w + i - 1;  // wFrom[m] is W(i + m - 1)
        const int last = nNode - i + 1 < nBand ? nNode - i + 1 : nBand;
        double wi = band.w[i];
        for (int m = 2; m <= last; ++m)
            wi = wi - rowI[m] * wFrom[m];
        band.w[i] = wi;
    }
}

bool Supported(EliminationKernel kernel)
{
    switch (kernel) {
    case EliminationKernel::Portable:
        return true;
#if defined(__x86_64__)
    case EliminationKernel::Avx2:
        return __builtin_cpu_supports("avx2");
    case EliminationKernel::Avx512:
        return __builtin_cpu_supports("avx512f");
#else
    case EliminationKernel::Avx2:
    case EliminationKernel::Avx512:
        return false;
#endif
    }
    return false;
}

EliminationKernel ChooseForm()
{
    const std::vector<EliminationKernel> kernels = SupportedEliminationKernels();
    if (const char* wanted = std::getenv("MEMBRANE_ELIMINATION")) {
        for (EliminationKernel kernel : kernels)
            if (std::strcmp(wanted, EliminationKernelName(kernel)) == 0)
                return kernel;
    }
    return kernels.back();
}

}  // namespace

const char* EliminationKernelName(EliminationKernel kernel)
{
    switch (kernel) {
    case EliminationKernel::Portable:
        return "portable";
    case EliminationKernel::Avx2:
        return "avx2";
    case EliminationKernel::Avx512:
        return "avx512";
    }
    return "?";
}

std::optional<std::string> EliminationRequestFault()
{
    const char* wanted = std::getenv("MEMBRANE_ELIMINATION");
    if (wanted == nullptr)
        return std::nullopt;
    for (EliminationKernel kernel :
         {EliminationKernel::Portable, EliminationKernel::Avx2, EliminationKernel::Avx512})
        if (std::strcmp(wanted, EliminationKernelName(kernel)) == 0)
            return std::nullopt;
    std::string shown;
    for (const char* c = wanted; *c != '\0' && shown.size() < 40; ++c)
        shown += static_cast<unsigned char>(*c) < 0x20 ? '?' : *c;
    return "MEMBRANE_ELIMINATION takes portable, avx2 or avx512, not '" + shown + "'";
}

std::vector<EliminationKernel> SupportedEliminationKernels()
{
    std::vector<EliminationKernel> kernels;
    for (EliminationKernel kernel :
         {EliminationKernel::Portable, EliminationKernel::Avx2, EliminationKernel::Avx512})
        if (Supported(kernel))
            kernels.push_back(kernel);
    return kernels;
}

EliminationKernel ActiveEliminationKernel()
{
    static const EliminationKernel active = ChooseForm();
    return active;
}

void EliminateBand(const BandRef& band, bool carryRhs, EliminationKernel kernel)
{
#if defined(__x86_64__)
    if (band.nBand <= kMostVectorBand) {
        switch (kernel) {
        case EliminationKernel::Avx2:
            EliminateBandAvx2(band.k, band.stride, band.w, band.nNode, band.nBand, carryRhs);
            return;
        case EliminationKernel::Avx512:
            EliminateBandAvx512(band.k, band.stride, band.w, band.nNode, band.nBand, carryRhs);
            return;
        default:
            break;
        }
    }
#endif
    if (carryRhs)
        EliminatePortable<true, true>(band);
    else
        EliminatePortable<true, false>(band);
}

void SolveBandIn(const BandRef& band, EliminationKernel kernel)
{
    EliminateBand(band, true, kernel);
    BackSubstitute(band);
}

void SubstituteBand(const BandRef& band)
{
    EliminatePortable<false, true>(band);
    BackSubstitute(band);
}
