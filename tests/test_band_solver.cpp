// Boundary conditions and band elimination: known solutions, a dense reference solve of the
// same constrained system, and bit-for-bit reproducibility.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "present/ReportText.h"

namespace {

std::string Fixed6(double v)
{
    std::string s;
    AppendValue(s, v);
    return s;
}

TEST(BandSolver, OneElementHoldsItsPrescribedValues)
{
    for (double alpha : {0.0, 0.5, 2.0, 5.0, -3.0, 100.0}) {
        auto m = MakeRecord();
        Solve(*m, 1, 1, alpha, false);
        EXPECT_EQ(m->m_W[1], 1.0) << alpha;
        EXPECT_EQ(m->m_W[2], 1.0) << alpha;
        EXPECT_EQ(m->m_W[3], 0.0) << alpha;
        EXPECT_EQ(m->m_W[4], 0.0) << alpha;
    }
}

TEST(BandSolver, TwoByOneKnownValues)
{
    auto m = MakeRecord();
    Solve(*m, 2, 1, 0.1, false);
    EXPECT_NEAR(m->m_W[3], 35.0 / 52, 1e-14);
    EXPECT_NEAR(m->m_W[4], 35.0 / 52, 1e-14);
    EXPECT_EQ(Fixed6(m->m_W[3]), "0.673077");

    Solve(*m, 2, 1, 0.0, false);
    EXPECT_NEAR(m->m_W[3], 0.5, 1e-15);
    EXPECT_NEAR(m->m_W[4], 0.5, 1e-15);
}

TEST(BandSolver, AlphaZeroIsLinearInX)
{
    for (auto [dx, dy] : {std::pair{2, 1}, {5, 3}, {17, 8}, {90, 30}}) {
        auto m = MakeRecord();
        Solve(*m, dx, dy, 0.0, false);
        for (int n = 1; n <= m->m_nNode; ++n) {
            const int i = (n - 1) / (dy + 1);
            ASSERT_NEAR(m->m_W[n], 1.0 - static_cast<double>(i) / dx, 1e-13)
                << dx << "x" << dy << " node " << n;
        }
    }
}

TEST(BandSolver, DefaultMeshWithoutPeak)
{
    auto m = MakeRecord();
    Solve(*m, 90, 30, 5.0, false);
    const struct {
        int column;
        const char* text;
    } expected[] = {{1, "-0.120422"}, {10, "-1.332865"}, {45, "1.399791"}, {89, "-1.086459"}};
    for (const auto& e : expected) {
        for (int j = 0; j <= 30; ++j)
            EXPECT_EQ(Fixed6(m->m_W[e.column * 31 + j + 1]), e.text) << "column " << e.column;
    }
    // Without the peak the solution does not depend on y.
    for (int i = 0; i <= 90; ++i)
        for (int j = 1; j <= 30; ++j)
            ASSERT_NEAR(m->m_W[i * 31 + j + 1], m->m_W[i * 31 + 1], 1e-9) << i << "," << j;
}

TEST(BandSolver, PrescribedNodesKeepTheirValuesExactly)
{
    auto m = MakeRecord();
    Solve(*m, 90, 30, 5.0, true);
    for (int e = 1; e <= m->m_nBound; ++e) {
        if (m->m_bndKind[e] == BND_FIXED) {
            ASSERT_EQ(m->m_W[m->m_bndNode[e]], m->m_bndValue[e]) << "entry " << e;
        }
    }
}

TEST(BandSolver, ZeroValuedFixedEntryStillClearsItsRowAndColumn)
{
    auto m = MakeRecord();
    Constrain(*m, 3, 2, 1.0, false);
    const int n = m->m_nNode;  // top right corner, fixed 0.0
    EXPECT_EQ(m->m_K[n][1], 1.0);
    EXPECT_EQ(m->m_W[n], 0.0);
    for (int d = 1; d < m->m_nBand; ++d) {
        EXPECT_EQ(m->m_K[n][1 + d], 0.0);
        EXPECT_EQ(m->m_K[n - d][1 + d], 0.0);
    }
}

// An independent dense solve: the element matrix from its exact formulas, the prescribed
// values eliminated, Gaussian elimination with partial pivoting on the free nodes.
std::vector<double> DenseSolve(int divX, int divY, double alpha, bool option)
{
    const int rows = divY + 1, nodes = (divX + 1) * rows;
    const double dx = 15.0 / divX, dy = 5.0 / divY, area = dx * dy, a2 = alpha * alpha;
    const double D = a2 * area / 9 - (dx / dy + dy / dx) / 3;
    const double X = a2 * area / 18 + dy / (3 * dx) - dx / (6 * dy);
    const double Y = a2 * area / 18 + dx / (3 * dy) - dy / (6 * dx);
    const double O = a2 * area / 36 + (dx / dy + dy / dx) / 6;
    const double ke[4][4] = {{D, X, O, Y}, {X, D, Y, O}, {O, Y, D, X}, {Y, O, X, D}};

    std::vector<double> A(nodes * nodes, 0.0);
    for (int i = 0; i < divX; ++i)
        for (int j = 0; j < divY; ++j) {
            const int c[4] = {i * rows + j, (i + 1) * rows + j, (i + 1) * rows + j + 1,
                              i * rows + j + 1};
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q < 4; ++q)
                    A[c[p] * nodes + c[q]] += ke[p][q];
        }

    std::vector<double> fixed(nodes, NAN);
    for (int j = 0; j <= divY; ++j) {
        double left = 1.0;
        if (option) {
            const int p = divY / 2;
            if (divY % 2 == 0)
                left = j == p ? 5.0 : (j == p - 1 || j == p + 1) ? 4.0 : 1.0;
            else
                left = (j == p || j == p + 1) ? 5.0 : 1.0;
        }
        fixed[j] = left;
        fixed[divX * rows + j] = 0.0;
    }

    std::vector<int> free;
    for (int n = 0; n < nodes; ++n)
        if (std::isnan(fixed[n]))
            free.push_back(n);
    const int f = static_cast<int>(free.size());
    std::vector<double> M(f * (f + 1), 0.0);
    for (int r = 0; r < f; ++r) {
        double rhs = 0.0;
        for (int n = 0; n < nodes; ++n)
            if (!std::isnan(fixed[n]))
                rhs -= A[free[r] * nodes + n] * fixed[n];
        for (int c = 0; c < f; ++c)
            M[r * (f + 1) + c] = A[free[r] * nodes + free[c]];
        M[r * (f + 1) + f] = rhs;
    }
    for (int k = 0; k < f; ++k) {
        int piv = k;
        for (int r = k + 1; r < f; ++r)
            if (std::fabs(M[r * (f + 1) + k]) > std::fabs(M[piv * (f + 1) + k]))
                piv = r;
        for (int c = 0; c <= f; ++c)
            std::swap(M[k * (f + 1) + c], M[piv * (f + 1) + c]);
        for (int r = k + 1; r < f; ++r) {
            const double q = M[r * (f + 1) + k] / M[k * (f + 1) + k];
            for (int c = k; c <= f; ++c)
                M[r * (f + 1) + c] -= q * M[k * (f + 1) + c];
        }
    }
    std::vector<double> x = fixed;
    for (int k = f - 1; k >= 0; --k) {
        double s = M[k * (f + 1) + f];
        for (int c = k + 1; c < f; ++c)
            s -= M[k * (f + 1) + c] * x[free[c]];
        x[free[k]] = s / M[k * (f + 1) + k];
    }
    return x;
}

TEST(BandSolver, AgreesWithDenseReference)
{
    struct Case {
        int divX, divY;
        double alpha;
        bool option;
    };
    const Case cases[] = {{2, 1, 0.1, false}, {4, 4, 1.0, true},   {12, 5, 2.5, true},
                          {20, 8, 5.0, true}, {30, 10, 0.7, false}, {25, 9, 3.3, true}};
    for (const Case& c : cases) {
        auto m = MakeRecord();
        Solve(*m, c.divX, c.divY, c.alpha, c.option);
        const auto ref = DenseSolve(c.divX, c.divY, c.alpha, c.option);
        double scale = 0.0;
        for (double v : ref)
            scale = std::max(scale, std::fabs(v));
        for (int n = 1; n <= m->m_nNode; ++n)
            ASSERT_NEAR(m->m_W[n], ref[n - 1], 1e-9 * scale)
                << c.divX << "x" << c.divY << " alpha " << c.alpha << " node " << n;
    }
}

TEST(BandSolver, StaleLargeMeshDoesNotChangeASmallOne)
{
    auto fresh = MakeRecord();
    Solve(*fresh, 2, 1, 5.0, true);
    auto used = MakeRecord();
    Solve(*used, 90, 30, 5.0, true);
    Solve(*used, 2, 1, 5.0, true);
    EXPECT_EQ(std::memcmp(fresh->m_W, used->m_W, sizeof(double) * (fresh->m_nNode + 1)), 0);

    Solve(*fresh, 7, 4, 1.25, false);
    Solve(*used, 7, 4, 1.25, false);
    EXPECT_EQ(std::memcmp(fresh->m_W, used->m_W, sizeof(double) * (fresh->m_nNode + 1)), 0);
}

TEST(BandSolver, OverflowingAlphaGivesNonFiniteValuesAndCompletes)
{
    // alpha^2 overflows: the element matrix is infinite and the elimination yields NaN.
    auto m = MakeRecord();
    Solve(*m, 4, 2, 1e200, false);
    EXPECT_TRUE(HasNonFiniteValue(*m));
    EXPECT_TRUE(std::isnan(m->m_W[4]));  // a free node, (1, 0)
}

TEST(BandSolver, NegativeAlphaEqualsPositive)
{
    // Only alpha squared enters the system.
    auto a = MakeRecord();
    auto b = MakeRecord();
    Solve(*a, 13, 7, 2.75, true);
    Solve(*b, 13, 7, -2.75, true);
    EXPECT_EQ(std::memcmp(a->m_W, b->m_W, sizeof(double) * (a->m_nNode + 1)), 0);
}

}  // namespace
