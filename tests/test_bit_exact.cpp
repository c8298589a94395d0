// The optimised solver gives the same bits as a plain, unoptimised evaluation of the same
// operations in the same order. This file is compiled without optimisation, so that nothing
// here is vectorised, contracted or reordered; a compiler or flag change that alters a
// single bit of the solver fails this test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "TestSupport.h"
#include "solver/BandElimination.h"

namespace {

// Where the test is run with a kernel forced by name (MEMBRANE_ELIMINATION) that this processor
// lacks, the elimination falls back to another kernel, already tested under its own name: every
// test is skipped, and says so, rather than passing under a name it did not test.
class ForcedFormPresent : public testing::Environment {
public:
    void SetUp() override
    {
        const char* wanted = std::getenv("MEMBRANE_ELIMINATION");
        if (!wanted)
            return;
        for (const EliminationKernel kernel : SupportedEliminationKernels())
            if (std::strcmp(EliminationKernelName(kernel), wanted) == 0)
                return;
        GTEST_SKIP() << "this processor lacks the kernel " << wanted;
    }
};
testing::Environment* const kForcedFormPresent =
    testing::AddGlobalTestEnvironment(new ForcedFormPresent);

// The same operations as the solver, written as directly as possible on plain vectors.
std::vector<double> PlainSolve(int divX, int divY, double alpha, bool option)
{
    const int rows = divY + 1, nNode = (divX + 1) * rows, nElem = divX * divY, nBand = divY + 3;
    std::vector<std::vector<double>> K(nNode + 1, std::vector<double>(nBand + 1, 0.0));
    std::vector<double> W(nNode + 1, 0.0);

    const double area = (15.0 * 5.0) / static_cast<double>(nElem);
    const double dx = 15.0 / divX, dy = 5.0 / divY;
    const double l = dx / dy, f = dy / dx, s = f + l, t = (alpha * alpha) * area;
    const double c3 = 1.0 / 3.0, c9 = 1.0 / 9.0, c18 = 1.0 / 18.0, c36 = 1.0 / 36.0;
    const double D = t * c9 - s * c3;
    const double X = (f - l * 0.5) * c3 + t * c18;
    const double Y = (l - f * 0.5) * c3 + t * c18;
    const double O = (s * 0.5) * c3 + t * c36;
    for (int e = 1; e <= nElem; ++e) {
        const int n1 = e + (e - 1) / divY, n2 = n1 + divY + 1, n3 = n1 + divY + 2, n4 = n1 + 1;
        K[n1][1] += D, K[n2][1] += D, K[n3][1] += D, K[n4][1] += D;
        K[n1][1 + n2 - n1] += X, K[n4][1 + n3 - n4] += X;
        K[n1][1 + n4 - n1] += Y, K[n2][1 + n3 - n2] += Y;
        K[n1][1 + n3 - n1] += O, K[n4][1 + n2 - n4] += O;
    }

    // Fixed nodes: the left edge (with the peak) and the right edge; top and bottom are
    // natural with value 0 and change nothing.
    std::vector<std::pair<int, double>> fixed;
    for (int j = 0; j <= divY; ++j) {
        double v = 1.0;
        if (option) {
            const int p = divY / 2;
            if (divY % 2 == 0)
                v = j + 1 == p + 1 ? 5.0 : (j + 1 == p || j + 1 == p + 2) ? 4.0 : 1.0;
            else
                v = (j + 1 == p + 1 || j + 1 == p + 2) ? 5.0 : 1.0;
        }
        fixed.emplace_back(j + 1, v);
    }
    for (int j = 0; j <= divY; ++j)
        fixed.emplace_back(divX * rows + j + 1, 0.0);
    for (auto [n, v] : fixed) {
        if (v == 0.0)
            continue;
        for (int d = 1; d < nBand && n - d >= 1; ++d)
            W[n - d] -= K[n - d][1 + d] * v;
        for (int d = 1; d < nBand && n + d <= nNode; ++d)
            W[n + d] -= K[n][1 + d] * v;
    }
    for (auto [n, v] : fixed) {
        W[n] = v;
        K[n][1] = 1.0;
        for (int d = 1; d < nBand; ++d) {
            if (n + d <= nNode)
                K[n][1 + d] = 0.0;
            if (n - d >= 1)
                K[n - d][1 + d] = 0.0;
        }
    }

    for (int i = 1; i <= nNode; ++i) {
        for (int m = 2; m <= nBand; ++m) {
            const int j = i + m - 1;
            if (j > nNode)
                continue;
            const double q = K[i][m] / K[i][1];
            for (int k = m; k <= nBand; ++k)
                K[j][1 + k - m] -= q * K[i][k];
            K[i][m] = q;
            W[j] -= q * W[i];
        }
        W[i] /= K[i][1];
    }
    for (int i = nNode; i >= 1; --i)
        for (int m = 2; m <= nBand && i + m - 1 <= nNode; ++m)
            W[i] -= K[i][m] * W[i + m - 1];
    return W;
}

TEST(BitExact, SolverEqualsPlainEvaluation)
{
    struct Case {
        int divX, divY;
        double alpha;
        bool option;
    };
    const Case cases[] = {{1, 1, 5.0, true}, {2, 1, 0.1, false}, {7, 4, 2.25, true},
                          {33, 17, 4.1, true}, {90, 30, 5.0, true}, {90, 30, 0.3, false},
                          {89, 29, 7.7, true}};
    auto m = MakeRecord();
    for (const Case& c : cases) {
        Solve(*m, c.divX, c.divY, c.alpha, c.option);
        const std::vector<double> plain = PlainSolve(c.divX, c.divY, c.alpha, c.option);
        EXPECT_EQ(std::memcmp(m->m_W + 1, plain.data() + 1, sizeof(double) * m->m_nNode), 0)
            << c.divX << "x" << c.divY << " alpha " << c.alpha;
    }
}

}  // namespace
