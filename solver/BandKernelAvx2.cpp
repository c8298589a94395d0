// The left-looking elimination in AVX2 registers of 4 doubles. Compiled with -mavx2 and nothing
// else of the project; called only where the processor has AVX2. No fused multiply-add: the
// product is rounded before it is subtracted, as everywhere else.
#include <immintrin.h>

#include <cstdint>

#include "solver/BandKernels.h"
#include "solver/LeftLookingKernel.h"

namespace {

struct Avx2 {
    static constexpr int kWidth = 4;
    static constexpr int kAlign = 4;  // doubles in 32 bytes: the loads of a row line up
    static constexpr int kRegisters = 16;
    using Reg = __m256d;

    // All lanes below n set, for 0 <= n <= 4: a window into four ones and four zeros.
    static __m256i FewLanes(int n)
    {
        alignas(32) static const std::int64_t kOnes[8] = {-1, -1, -1, -1, 0, 0, 0, 0};
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kOnes + 4 - n));
    }
    // The same for any n: none for n <= 0, all for n >= 4.
    static __m256i FirstLanes(int n) { return FewLanes(n <= 0 ? 0 : n < 4 ? n : 4); }
    static __m256i Between(int lo, int hi)
    {
        return _mm256_andnot_si256(FirstLanes(lo), FirstLanes(hi));
    }

    static Reg Load(const double* p) { return _mm256_load_pd(p); }
    static Reg LoadFirst(const double* p, int n) { return _mm256_maskload_pd(p, FirstLanes(n)); }
    static Reg LoadBetween(const double* p, int lo, int hi)
    {
        return _mm256_maskload_pd(p, Between(lo, hi));
    }
    static void Store(double* p, Reg v) { _mm256_store_pd(p, v); }
    static void StoreFirst(double* p, Reg v, int n) { _mm256_maskstore_pd(p, FirstLanes(n), v); }
    static void StoreBetween(double* p, Reg v, int lo, int hi)
    {
        _mm256_maskstore_pd(p, Between(lo, hi), v);
    }

    static Reg Broadcast(double x) { return _mm256_set1_pd(x); }
    // Lane l of v in every lane, without a trip through memory: its two 32-bit halves.
    static Reg BroadcastLane(Reg v, int l)
    {
        const __m256i halves = _mm256_setr_epi32(2 * l, 2 * l + 1, 2 * l, 2 * l + 1, 2 * l,
                                                 2 * l + 1, 2 * l, 2 * l + 1);
        return _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(v), halves));
    }
    static double First(Reg v) { return _mm256_cvtsd_f64(v); }
    static Reg Mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
    static Reg Div(Reg a, Reg b) { return _mm256_div_pd(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm256_sub_pd(a, b); }
    // a - b in the lanes below n; a itself in the others: there b is masked to +0, and
    // a - (+0) is a, bit for bit, whatever a is.
    static Reg SubMasked(Reg a, Reg b, __m256i lanes)
    {
        return _mm256_sub_pd(a, _mm256_and_pd(b, _mm256_castsi256_pd(lanes)));
    }
    static Reg SubFirst(Reg a, Reg b, int n) { return SubMasked(a, b, FirstLanes(n)); }
    static Reg SubFew(Reg a, Reg b, int n) { return SubMasked(a, b, FewLanes(n)); }
    // yes in the lanes below n, no in the others.
    static Reg SelectFirst(Reg yes, Reg no, int n)
    {
        return _mm256_blendv_pd(no, yes, _mm256_castsi256_pd(FirstLanes(n)));
    }
};

}  // namespace

void EliminateBandAvx2(double* k, int stride, double* w, int nNode, int nBand, bool carryRhs)
{
    EliminateLeftLooking<Avx2>(k, stride, w, nNode, nBand, carryRhs);
}
