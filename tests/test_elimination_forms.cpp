// Every vector form of the elimination this processor runs leaves the portable form's bits in
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

std::vector<EliminationForm> VectorForms()
{
    std::vector<EliminationForm> forms = SupportedEliminationForms();
    forms.erase(forms.begin());  // the portable form, the reference
    return forms;
}

// Eliminates a copy of `start` in the portable form and in `form`, and compares every bit of
// both arrays, the cells the elimination must not touch included.
void ExpectSameBits(const MembraneModel& start, EliminationForm form, bool solve,
                    const std::string& what)
{
    auto reference = std::make_unique<MembraneModel>(start);
    auto tried = std::make_unique<MembraneModel>(start);
    for (bool carryRhs : {false, true}) {
        *reference = start;
        *tried = start;
        if (solve && carryRhs) {
            SolveBandIn(*reference, EliminationForm::Portable);
            SolveBandIn(*tried, form);
        } else {
            EliminateBand(*reference, carryRhs, EliminationForm::Portable);
            EliminateBand(*tried, carryRhs, form);
        }
        EXPECT_EQ(std::memcmp(reference->m_K, tried->m_K, sizeof reference->m_K), 0)
            << EliminationFormName(form) << " " << what << (carryRhs ? " with m_W" : "");
        EXPECT_EQ(std::memcmp(reference->m_W, tried->m_W, sizeof reference->m_W), 0)
            << EliminationFormName(form) << " " << what << (carryRhs ? " with m_W" : "");
    }
}

TEST(EliminationForms, MeshSystemsBitForBit)
{
    if (VectorForms().empty())
        GTEST_SKIP() << "this processor runs only the portable form";
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
    for (EliminationForm form : VectorForms()) {
        for (const auto& mesh : meshes)
            for (double alpha : alphas)
                for (bool option : {true, false}) {
                    Constrain(*m, mesh.divX, mesh.divY, alpha, option);
                    ExpectSameBits(*m, form, true,
                                   std::to_string(mesh.divX) + "x" + std::to_string(mesh.divY) +
                                       " alpha " + std::to_string(alpha));
                }
        // A pivot that vanishes exactly: infinite multipliers, then NaN everywhere.
        Constrain(*m, 2, 1, VanishingPivotAlpha(), true);
        ExpectSameBits(*m, form, true, "vanishing pivot");
    }
}

// Any band of 2..33 columns and any values: the forms carry out the same operations.
TEST(EliminationForms, RandomBandsBitForBit)
{
    if (VectorForms().empty())
        GTEST_SKIP() << "this processor runs only the portable form";
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
        for (EliminationForm form : VectorForms())
            ExpectSameBits(*m, form, true,
                           std::to_string(m->m_nNode) + " rows of " + std::to_string(m->m_nBand));
        if (HasFailure())
            return;
    }
}

TEST(EliminationForms, ChoiceAndNames)
{
    const std::vector<EliminationForm> forms = SupportedEliminationForms();
    ASSERT_FALSE(forms.empty());
    EXPECT_EQ(forms.front(), EliminationForm::Portable);
    EXPECT_NE(std::find(forms.begin(), forms.end(), ActiveEliminationForm()), forms.end());
    EXPECT_STREQ(EliminationFormName(EliminationForm::Portable), "portable");
    EXPECT_STREQ(EliminationFormName(EliminationForm::Avx2), "avx2");
    EXPECT_STREQ(EliminationFormName(EliminationForm::Avx512), "avx512");
    // Without a request the widest form runs; a request names one of the supported forms.
    const char* wanted = std::getenv("MEMBRANE_ELIMINATION");
    const auto named = [&](EliminationForm f) {
        return wanted != nullptr && std::strcmp(EliminationFormName(f), wanted) == 0;
    };
    if (std::find_if(forms.begin(), forms.end(), named) != forms.end()) {
        EXPECT_STREQ(EliminationFormName(ActiveEliminationForm()), wanted);
    } else {
        EXPECT_EQ(ActiveEliminationForm(), forms.back());
    }
}

}  // namespace
