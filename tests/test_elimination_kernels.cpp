// Every vector kernel of the elimination this processor runs leaves the portable kernel's bits in
// m_K and m_W: on the meshes' own systems at many alphas, and on random bands full of zeros of
// both signs, infinities and NaNs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "TestSupport.h"
#include "solver/BandElimination.h"
#include "solver/Resonance.h"

namespace {

std::vector<EliminationKernel> VectorKernels()
{
    std::vector<EliminationKernel> kernels = SupportedEliminationKernels();
    kernels.erase(kernels.begin());  // the portable kernel, the reference
    return kernels;
}

// Eliminates a copy of `start` in the portable kernel and in `kernel`, and compares every bit of
// both arrays, the cells the elimination must not touch included.
void ExpectSameBits(const MembraneModel& start, EliminationKernel kernel, bool solve,
                    const std::string& what)
{
    auto reference = std::make_unique<MembraneModel>(start);
    auto tried = std::make_unique<MembraneModel>(start);
    for (bool carryRhs : {false, true}) {
        *reference = start;
        *tried = start;
        if (solve && carryRhs) {
            SolveBandIn(*reference, EliminationKernel::Portable);
            SolveBandIn(*tried, kernel);
        } else {
            EliminateBand(*reference, carryRhs, EliminationKernel::Portable);
            EliminateBand(*tried, carryRhs, kernel);
        }
        EXPECT_EQ(std::memcmp(reference->m_K, tried->m_K, sizeof reference->m_K), 0)
            << EliminationKernelName(kernel) << " " << what << (carryRhs ? " with m_W" : "");
        EXPECT_EQ(std::memcmp(reference->m_W, tried->m_W, sizeof reference->m_W), 0)
            << EliminationKernelName(kernel) << " " << what << (carryRhs ? " with m_W" : "");
    }
}

TEST(EliminationKernels, MeshSystemsBitForBit)
{
    if (VectorKernels().empty())
        GTEST_SKIP() << "this processor runs only the portable kernel";
    ResonanceSearch search;
    search.divX = 90;
    search.divY = 30;
    const double resonance = FindResonances(search, 1, 1)[0];
    const struct {
        int divX, divY;
    } meshes[] = {{1, 1}, {1, 30}, {90, 1}, {90, 30}, {2, 1}, {7, 4}, {7, 3}, {13, 6}, {45, 15},
                  {30, 29}, {89, 28}, {3, 2}};
    const double alphas[] = {0.0, -2.5, 5.0, 1e-5, 1e200, resonance * (1 + 1e-13), 41.0};
    auto m = MakeRecord();
    for (EliminationKernel kernel : VectorKernels()) {
        for (const auto& mesh : meshes)
            for (double alpha : alphas)
                for (bool option : {true, false}) {
                    Constrain(*m, mesh.divX, mesh.divY, alpha, option);
                    ExpectSameBits(*m, kernel, true,
                                   std::to_string(mesh.divX) + "x" + std::to_string(mesh.divY) +
                                       " alpha " + std::to_string(alpha));
                }
        // A pivot that vanishes exactly: infinite multipliers, then NaN everywhere.
        Constrain(*m, 2, 1, VanishingPivotAlpha(), true);
        ExpectSameBits(*m, kernel, true, "vanishing pivot");
    }
}

// Any band of 2..33 columns and any values: the kernels carry out the same operations.
TEST(EliminationKernels, RandomBandsBitForBit)
{
    if (VectorKernels().empty())
        GTEST_SKIP() << "this processor runs only the portable kernel";
    std::mt19937 rng(20261209);
    // The NaN that arithmetic makes, the only kind an elimination meets: with it, which operand
    // of a product is a NaN does not matter, whereas a planted NaN of another sign would make
    // the result depend on the order in which the compiler hands a product its operands.
    const double infinity = std::numeric_limits<double>::infinity();
    volatile double plus = infinity;
    const double madeNaN = plus - plus;
    const double special[] = {0.0, -0.0, infinity, -infinity, madeNaN, 4.9e-324, 1e300};
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    auto m = MakeRecord();
    for (int trial = 0; trial < 300; ++trial) {
        m->m_nBand = 2 + static_cast<int>(rng() % 32);
        m->m_nNode = 1 + static_cast<int>(rng() % (trial < 200 ? 80 : 600));
        const bool wild = trial % 3 == 0;
        for (int r = 0; r < MembraneModel::kNodeCap; ++r) {
            for (int c = 0; c < MembraneModel::kBandCap; ++c) {
                double v = uniform(rng);
                if (c == 1)
                    v += (rng() % 2 ? 1.0 : -1.0) * m->m_nBand;  // mostly away from zero
                if (rng() % 10 == 0)
                    v = rng() % 2 ? 0.0 : -0.0;
                if (wild && rng() % 200 == 0)
                    v = special[rng() % std::size(special)];
                m->m_K[r][c] = v;
            }
            m->m_W[r] = uniform(rng);
        }
        for (EliminationKernel kernel : VectorKernels())
            ExpectSameBits(*m, kernel, true,
                           std::to_string(m->m_nNode) + " rows of " + std::to_string(m->m_nBand));
        if (HasFailure())
            return;
    }
}

TEST(EliminationKernels, ChoiceAndNames)
{
    const std::vector<EliminationKernel> kernels = SupportedEliminationKernels();
    ASSERT_FALSE(kernels.empty());
    EXPECT_EQ(kernels.front(), EliminationKernel::Portable);
    EXPECT_NE(std::find(kernels.begin(), kernels.end(), ActiveEliminationKernel()), kernels.end());
    EXPECT_STREQ(EliminationKernelName(EliminationKernel::Portable), "portable");
    EXPECT_STREQ(EliminationKernelName(EliminationKernel::Avx2), "avx2");
    EXPECT_STREQ(EliminationKernelName(EliminationKernel::Avx512), "avx512");
    // Without a request the widest kernel runs; a request names one of the supported kernels.
    const char* wanted = std::getenv("MEMBRANE_ELIMINATION");
    const auto named = [&](EliminationKernel f) {
        return wanted != nullptr && std::strcmp(EliminationKernelName(f), wanted) == 0;
    };
    if (std::find_if(kernels.begin(), kernels.end(), named) != kernels.end()) {
        EXPECT_STREQ(EliminationKernelName(ActiveEliminationKernel()), wanted);
    } else {
        EXPECT_EQ(ActiveEliminationKernel(), kernels.back());
    }
}

}  // namespace
