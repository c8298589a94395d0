// OpenBLAS's dgbsv and Eigen's SimplicialLDLT on the same constrained system agree with
// SolveBand to 1e-9 relative.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "bench/PeerSystems.h"

namespace {

TEST(PeerSolvers, AgreeWithSolveBand)
{
    for (auto [dx, dy] : {std::pair{10, 5}, {45, 15}, {90, 30}}) {
        auto constrained = MakeRecord();
        Constrain(*constrained, dx, dy, 5.0, true);
        auto solved = std::make_unique<MembraneModel>(*constrained);
        solved->SolveBand();

        LapackBandSystem band(*constrained);
        std::vector<int> pivots;
        ASSERT_EQ(SolveWithLapack(band, pivots), 0);
        EXPECT_LT(RelativeDifference(*solved, band.b), 1e-9) << dx << "x" << dy;

        Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> ldlt(EigenMatrix(*constrained));
        ASSERT_EQ(ldlt.info(), Eigen::Success);
        const Eigen::VectorXd x = ldlt.solve(EigenRhs(*constrained));
        EXPECT_LT(RelativeDifference(*solved, x), 1e-9) << dx << "x" << dy;
    }
}

}  // namespace
