// Records sized to their mesh: within the dialog's limits every stage leaves the dialog's record's
// bits, in every form of the elimination; beyond them the solution with the option off is the
// discrete closed form of a line of linear elements, and the storage a mesh needs is known
// before it is allocated.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

#include "TestSupport.h"
#include "command/RunArguments.h"
#include "solver/BandElimination.h"
#include "solver/SeparableModes.h"
#include "solver/SizedRecord.h"
#include "solver/SolverChoice.h"
#include "solver/SparseFactor.h"

namespace {

TEST(SizedRecord, SameBitsAsTheDialogsRecordInEveryForm)
{
    const struct {
        int divX, divY;
        double alpha;
    } cases[] = {{1, 1, 5.0}, {2, 1, 0.1}, {7, 4, 2.25}, {90, 30, 5.0}, {45, 15, 0.0},
                 {2, 1, VanishingPivotAlpha()}, {4, 2, 1e200}, {13, 29, 3.7}};
    for (const auto& c : cases)
        for (const EliminationKernel form : SupportedEliminationKernels())
            for (const bool option : {false, true}) {
                auto fixed = MakeRecord();
                SetCounts(*fixed, c.divX, c.divY);
                ConstrainRecord(*fixed, c.alpha, option);
                SizedRecord sized(c.divX, c.divY);
                ConstrainRecord(sized, c.alpha, option);
                for (int e = 1; e <= sized.m_nBound; ++e) {
                    ASSERT_EQ(sized.m_bndNode[e], fixed->m_bndNode[e]);
                    ASSERT_EQ(sized.m_bndKind[e], fixed->m_bndKind[e]);
                    ASSERT_EQ(sized.m_bndValue[e], fixed->m_bndValue[e]);
                }
                SolveBandIn(*fixed, form);
                SolveBandIn(sized, form);
                const std::string what = std::to_string(c.divX) + "x" + std::to_string(c.divY) +
                                         " " + EliminationKernelName(form);
                for (int r = 0; r <= sized.m_nNode; ++r)
                    ASSERT_EQ(std::memcmp(sized.m_K[r], fixed->m_K[r],
                                          sizeof(double) * (sized.m_nBand + 1)), 0)
                        << what << " row " << r;
                ASSERT_EQ(std::memcmp(sized.m_W, fixed->m_W, sizeof(double) * (sized.m_nNode + 1)),
                          0) << what;
                const BandInertia a = sized.PivotInertia(), b = fixed->PivotInertia();
                EXPECT_EQ(std::tie(a.positive, a.negative, a.zero, a.firstBadRow),
                          std::tie(b.positive, b.negative, b.zero, b.firstBadRow)) << what;
            }
}

// With the option off the solution does not vary along y, and every column holds the value of
// a line of linear elements with the consistent mass: with cos(k h) = (6 - 2 (alpha h)^2) /
// (6 + (alpha h)^2), u_i = sin(k (15 - x_i)) / sin(15 k). Bands of 43 and 34 columns are wider
// than the vector forms hold and go to the portable one; 400 x 2 is beyond the dialog along x.
TEST(SizedRecord, BeyondTheDialogsLimitsTheLineOfElementsInClosedForm)
{
    for (auto [divX, divY, alpha] : {std::tuple{200, 40, 2.0}, {120, 31, 0.5}, {400, 2, 5.0}}) {
        SizedRecord r(divX, divY);
        ConstrainRecord(r, alpha, false);
        r.SolveBand();
        const double h = 15.0 / divX, ah2 = (alpha * h) * (alpha * h);
        const double k = std::acos((6.0 - 2.0 * ah2) / (6.0 + ah2)) / h;
        double largest = 0.0;
        const auto exact = [&](int i) { return std::sin(k * (15.0 - i * h)) / std::sin(15.0 * k); };
        for (int i = 0; i <= divX; ++i)
            largest = std::max(largest, std::fabs(exact(i)));
        for (int i = 0; i <= divX; ++i) {
            const double u = exact(i);
            for (int j = 0; j <= divY; ++j)
                ASSERT_NEAR(r.m_W[i * (divY + 1) + j + 1], u, 1e-9 * largest)
                    << divX << "x" << divY << " node (" << i << ", " << j << ")";
        }
    }
}

TEST(SizedRecord, TheBytesAMeshNeedsAreKnownBeforeItIsMade)
{
    // 90 x 30: 2822 rows of 34 band columns and a value each, 241 boundary entries.
    EXPECT_EQ(SizedRecordBytes(90, 30), (2822u * 34 + 2822) * 8 + 241u * 16);
    EXPECT_GT(*SizedRecordBytes(720, 240), 300'000'000u);
    EXPECT_FALSE(SizedRecordBytes(0, 5));
    EXPECT_FALSE(SizedRecordBytes(5, -1));
    EXPECT_FALSE(SizedRecordBytes(1'000'000'000, 1'000'000'000));  // no 32-bit node numbers
    EXPECT_FALSE(SizedRecordBytes(65536, 65536));
    EXPECT_TRUE(SizedRecordBytes(1'000'000, 1));

    // A budget lets a mesh be up to its last byte, and names the need of one beyond it.
    const double need = static_cast<double>(*SizedRecordBytes(720, 240));
    EXPECT_FALSE(MeshOverBudget(720, 240, 1, need, "the budget"));
    EXPECT_EQ(MeshOverBudget(720, 240, 2, 1.5 * need, "the page's 512 MB"),
              "a 720 x 240 mesh needs " + ByteText(2 * need) +
                  " for its 2 threads, more than the page's 512 MB");
    EXPECT_EQ(MeshOverBudget(1'000'000'000, 1'000'000'000, 1, 1e30, "any"),
              "a 1000000000 x 1000000000 mesh has more nodes than a record can number (2^31 - 1)");
    EXPECT_EQ(ByteText(999.0), "999 bytes");
    EXPECT_EQ(ByteText(3.2e12), "3.2 TB");
    EXPECT_EQ(ByteText(512e6), "512 MB");

    // A need just above a budget reads above it, never as the budget itself.
    const double justOver = static_cast<double>(*SizedRecordBytes(6151, 99));
    ASSERT_GT(justOver, 512e6);
    ASSERT_LT(justOver, 512.5e6);
    EXPECT_EQ(MeshOverBudget(6151, 99, 1, 512e6, "the 512 MB a page may take"),
              "a 6151 x 99 mesh needs 513 MB, more than the 512 MB a page may take");
    EXPECT_EQ(ByteText(64.2e12), "64 TB");  // elsewhere, to nearest
    EXPECT_EQ(ByteText(9.91e9, 9.9e9), "10 GB");
    EXPECT_EQ(ByteText(9.81e9, 9.8e9), "9.9 GB");
    EXPECT_EQ(ByteText(9.86e9, 9.8e9), "9.9 GB");
    EXPECT_EQ(AllocationRefusal(120000, 99, 1),
              "the memory for a 120000 x 99 mesh could not be allocated: it needs " +
                  ByteText(static_cast<double>(*SizedRecordBytes(120000, 99))) + " or more");
}

}  // namespace

namespace {

// The band elimination and the sparse LDL^T on the same constrained system: the same solution
// to within what the system's condition allows, estimated as lambda_max over the distance of
// alpha^2 from the nearest eigenvalue (all of them in closed form on the grid), and the same
// inertia.
TEST(SizedRecord, BandAndSparseAgreeAsTheConditionAllows)
{
    for (auto [divX, divY, alpha, option] :
         {std::tuple{100, 40, 2.0, true}, {150, 12, 0.3, false}, {91, 31, 5.0, true},
          {400, 1, 1.5, false}, {3, 200, 0.7, true}}) {
        SizedRecord band(divX, divY), sparse(divX, divY);
        ConstrainRecord(band, alpha, option);
        ConstrainRecord(sparse, alpha, option);
        band.SolveBand();
        const BandInertia b = band.PivotInertia();
        const BandInertia s = SparseFactor().SolveRecordSystem(sparse);
        EXPECT_EQ(std::tie(b.positive, b.negative, b.zero, b.firstBadRow),
                  std::tie(s.positive, s.negative, s.zero, s.firstBadRow));

        double largestLambda = 0.0, nearest = HUGE_VAL, largestW = 0.0, difference = 0.0;
        for (int p = 1; p < divX; ++p)
            for (int q = 0; q <= divY; ++q) {
                const double lambda = std::pow(SeparableResonance(divX, divY, p, q), 2);
                largestLambda = std::max(largestLambda, lambda);
                nearest = std::min(nearest, std::fabs(lambda - alpha * alpha));
            }
        for (int n = 1; n <= band.m_nNode; ++n) {
            largestW = std::max(largestW, std::fabs(band.m_W[n]));
            difference = std::max(difference, std::fabs(band.m_W[n] - sparse.m_W[n]));
        }
        const double condition = largestLambda / nearest;
        EXPECT_LE(difference, 1e-14 * condition * largestW)
            << divX << "x" << divY << " alpha " << alpha << ", condition " << condition;
        EXPECT_GT(difference, 0.0);  // two different eliminations: not the same bits
    }
}

}  // namespace

namespace {

// One rule chooses the factorisation for every front end: the band elimination alone within
// the dialog's 90 x 30, whatever is asked; beyond it the form asked for, and for auto the
// sparse LDL^T from 100 divisions along y on. The names are the tool's, exactly.
TEST(SolverChoice, OneRuleForEveryMesh)
{
    using enum SolverForm;
    struct Case {
        std::int32_t divX, divY;
        SolverRequest request;
        SolverForm form;
    };
    for (const Case& c : {Case{1, 1, SolverRequest::Sparse, Band}, {90, 30, SolverRequest::Sparse, Band},
                          {90, 30, SolverRequest::Auto, Band}, {91, 30, SolverRequest::Auto, Band},
                          {90, 31, SolverRequest::Sparse, Sparse}, {400, 99, SolverRequest::Auto, Band},
                          {1, 100, SolverRequest::Auto, Sparse}, {150, 100, SolverRequest::Auto, Sparse},
                          {150, 100, SolverRequest::Band, Band}, {120, 40, SolverRequest::Sparse, Sparse}})
        EXPECT_EQ(ChooseSolverForm(c.divX, c.divY, c.request), c.form) << c.divX << " x " << c.divY;
    EXPECT_TRUE(SolverRequestFault(90, 30, SolverRequest::Sparse));
    EXPECT_FALSE(SolverRequestFault(90, 30, SolverRequest::Band));
    EXPECT_FALSE(SolverRequestFault(91, 30, SolverRequest::Sparse));

    for (const SolverRequest request : {SolverRequest::Auto, SolverRequest::Band, SolverRequest::Sparse})
        EXPECT_EQ(ReadSolverRequest(SolverRequestName(request)), request);
    for (const char* text : {"", "Band", " band", "sparse ", "lu"})
        EXPECT_FALSE(ReadSolverRequest(text)) << text;
}

}  // namespace
