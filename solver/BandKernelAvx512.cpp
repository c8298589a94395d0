// The left-looking elimination in AVX-512 registers of 8 doubles, with lane masks. Compiled with
// -mavx512f and nothing else of the project; called only where the processor has AVX-512F. No
// fused multiply-add: the product is rounded before it is subtracted, as everywhere else.
#include <immintrin.h>

#include "solver/BandKernels.h"
#include "solver/LeftLookingKernel.h"

namespace {

struct Avx512 {
    static constexpr int kWidth = 8;
    static constexpr int kAlign = 4;  // doubles in 32 bytes: the loads of a row line up
    static constexpr int kRegisters = 32;
    using Reg = __m512d;

    // All lanes below n set: none for n <= 0, all for n >= 8.
    static __mmask8 FirstLanes(int n)
    {
        const unsigned lanes = n <= 0 ? 0u : n < 8 ? static_cast<unsigned>(n) : 8u;
        return static_cast<__mmask8>(0xFFu >> (8u - lanes));
    }
    static __mmask8 Between(int lo, int hi)
    {
        return static_cast<__mmask8>(FirstLanes(hi) & ~FirstLanes(lo));
    }

    static Reg Load(const double* p) { return _mm512_loadu_pd(p); }
    static Reg LoadFirst(const double* p, int n) { return _mm512_maskz_loadu_pd(FirstLanes(n), p); }
    static Reg LoadBetween(const double* p, int lo, int hi)
    {
        return _mm512_maskz_loadu_pd(Between(lo, hi), p);
    }
    static void Store(double* p, Reg v) { _mm512_storeu_pd(p, v); }
    static void StoreFirst(double* p, Reg v, int n) { _mm512_mask_storeu_pd(p, FirstLanes(n), v); }
    static void StoreBetween(double* p, Reg v, int lo, int hi)
    {
        _mm512_mask_storeu_pd(p, Between(lo, hi), v);
    }

    static Reg Broadcast(double x) { return _mm512_set1_pd(x); }
    // Lane l of v in every lane, without a trip through memory.
    static Reg BroadcastLane(Reg v, int l)
    {
        return _mm512_maskz_permutexvar_pd(0xFF, _mm512_set1_epi64(l), v);
    }
    static double First(Reg v) { return _mm512_cvtsd_f64(v); }
    static Reg Mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
    static Reg Div(Reg a, Reg b) { return _mm512_div_pd(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm512_sub_pd(a, b); }
    // a - b in the lanes below n; a itself in the others.
    static Reg SubFirst(Reg a, Reg b, int n) { return _mm512_mask_sub_pd(a, FirstLanes(n), a, b); }
    // The same for 0 <= n <= 8, the mask from a table.
    static Reg SubFew(Reg a, Reg b, int n)
    {
        static constexpr unsigned char kMasks[9] = {0x00, 0x01, 0x03, 0x07, 0x0F,
                                                    0x1F, 0x3F, 0x7F, 0xFF};
        return _mm512_mask_sub_pd(a, static_cast<__mmask8>(kMasks[n]), a, b);
    }
    // yes in the lanes below n, no in the others.
    static Reg SelectFirst(Reg yes, Reg no, int n)
    {
        return _mm512_mask_blend_pd(FirstLanes(n), no, yes);
    }
};

}  // namespace

void EliminateBandAvx512(double* k, int stride, double* w, int nNode, int nBand, bool carryRhs)
{
    EliminateLeftLooking<Avx512>(k, stride, w, nNode, nBand, carryRhs);
}
