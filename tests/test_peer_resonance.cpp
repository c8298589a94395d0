// The resonances found by slicing agree with LAPACK's symmetric-definite generalised
// eigensolvers, dsygvx (dense) and dsbgvx (banded), on the stiffness and mass matrices of the
// free nodes, to 1e-9 relative.
#include <gtest/gtest.h>

#include <vector>

#include "bench/PeerSystems.h"
#include "solver/Resonance.h"

namespace {

void ExpectSameModes(int divX, int divY, int il, int iu, const std::vector<double>& reference)
{
    ResonanceSearch search;
    search.divX = divX;
    search.divY = divY;
    search.threads = 2;
    const std::vector<double> modes = FindResonances(search, il, iu);
    ASSERT_EQ(modes.size(), reference.size());
    for (std::size_t k = 0; k < modes.size(); ++k)
        EXPECT_NEAR(modes[k], reference[k], 1e-9 * reference[k])
            << divX << "x" << divY << " mode " << il + static_cast<int>(k);
}

TEST(PeerResonance, EveryModeOfSmallMeshesAgreesWithDsygvx)
{
    for (auto [divX, divY] : {std::pair{2, 1}, {7, 3}, {3, 2}, {20, 8}}) {
        const FreePencil pencil(divX, divY);
        ASSERT_EQ(pencil.n, ResonanceCount(divX, divY));
        ExpectSameModes(divX, divY, 1, pencil.n, DenseModes(pencil, 1, pencil.n));
    }
}

// LAPACK's reduction of the largest mesh takes seconds: in the test program that the test
// command runs apart.
#if defined(MEMBRANE_SLOW_PEERS)
TEST(PeerResonance, LargestMeshAgreesWithDsbgvx)
{
    const FreePencil pencil(90, 30);
    ASSERT_EQ(pencil.n, 2759);
    ExpectSameModes(90, 30, 1, 20, BandModes(pencil, 32, 1, 20));
    ExpectSameModes(90, 30, 1000, 1009, BandModes(pencil, 32, 1000, 1009));
    ExpectSameModes(90, 30, 2755, 2759, BandModes(pencil, 32, 2755, 2759));
}
#endif

TEST(PeerResonance, OneByOneMeshHasNoFreeNode)
{
    EXPECT_EQ(ResonanceCount(1, 1), 0);
    EXPECT_EQ(ResonanceCounter(1, 1).CountBelow(1e3).below, 0);
}

}  // namespace
