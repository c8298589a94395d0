// The mode shapes against LAPACK's eigenvectors of the free nodes' pencil (dsygvx dense, dsbgvx
// banded): a simple resonance's shape along LAPACK's to |cos| >= 1 - 1e-10 in the M inner
// product, a cluster's shapes inside the span of LAPACK's, on meshes from 2 x 1 to 90 x 30, low
// and high modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "bench/PeerSystems.h"
#include "solver/ModeShape.h"

namespace {

// x^T M y over the free nodes, x and y indexed by free index; M couples free indices at most
// `band` apart.
double MDot(const FreePencil& p, int band, const std::vector<double>& x, const std::vector<double>& y)
{
    double sum = 0.0;
    for (int r = 0; r < p.n; ++r)
        for (int s = std::max(0, r - band); s <= std::min(p.n - 1, r + band); ++s)
            sum += x[r] * p.M[static_cast<std::size_t>(s) * p.n + r] * y[s];
    return sum;
}

void ExpectSameShapes(int divX, int divY, int il, int iu, const PeerShapes& peer,
                      const FreePencil& pencil)
{
    ASSERT_EQ(static_cast<int>(peer.z.size()), iu - il + 1) << "LAPACK failed";
    ResonanceSearch search;
    search.divX = divX;
    search.divY = divY;
    search.threads = 2;
    const std::vector<ModeShape> shapes = FindShapes(search, true, il, iu);
    ASSERT_EQ(shapes.size(), peer.z.size());
    const int rows = divY + 1;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        std::vector<double> phi(pencil.n);
        for (int r = 0; r < pencil.n; ++r)
            phi[r] = shapes[k].phi[r + rows + 1];
        // The span of LAPACK's vectors whose eigenvalues lie within the cluster tolerance.
        double inSpan = 0.0;
        const double lambda = shapes[k].alpha * shapes[k].alpha;
        for (std::size_t c = 0; c < peer.z.size(); ++c)
            if (std::fabs(peer.lambda[c] - lambda) <= 4 * kClusterTolerance * lambda)
                inSpan += std::pow(MDot(pencil, rows + 1, phi, peer.z[c]), 2);
        EXPECT_GE(std::sqrt(inSpan), 1.0 - 1e-10)
            << divX << "x" << divY << " mode " << shapes[k].index;
    }
}

TEST(PeerShapes, EveryShapeOfSmallMeshesAgreesWithDsygvx)
{
    for (auto [divX, divY] : {std::pair{2, 1}, {7, 3}, {20, 8}}) {
        const FreePencil pencil(divX, divY);
        ExpectSameShapes(divX, divY, 1, pencil.n, DenseShapes(pencil, 1, pencil.n), pencil);
    }
}

// LAPACK's vectors of the largest mesh take seconds: every one of them in one call, in a test
// program of its own that the test command runs apart.
#if defined(MEMBRANE_SLOW_PEERS)
TEST(PeerShapes, LargestMeshAgreesWithDsbgvx)
{
    const FreePencil pencil(90, 30);
    const PeerShapes all = BandShapes(pencil, 32, 1, pencil.n);
    ASSERT_EQ(static_cast<int>(all.z.size()), pencil.n) << "LAPACK failed";
    for (auto [il, iu] : {std::pair{1, 20}, {1000, 1002}, {2755, 2759}}) {
        const PeerShapes some{{all.lambda.begin() + il - 1, all.lambda.begin() + iu},
                              {all.z.begin() + il - 1, all.z.begin() + iu}};
        ExpectSameShapes(90, 30, il, iu, some, pencil);
    }
}
#endif

}  // namespace
