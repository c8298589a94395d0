// The convergence study against oracles of its own: the nodal values of a line of linear
// elements in closed form from the discrete dispersion relation, the L2 and H1 errors by a rule
// written afresh, and the orders that the theory gives on a well-resolved case.
#include <gtest/gtest.h>

#include <cmath>

#include "command/Study.h"

namespace {

// The line of elements' nodal value at x_i = i h. Its rows say u_(i-1) + u_(i+1) = 2 c u_i with
// c = (6 - 2 (alpha h)^2) / (6 + (alpha h)^2): where |c| <= 1, cos(k h) = c and
// u_i = sin(k (15 - x_i)) / sin(15 k), the continuum's with k for alpha; below -1, fewer than
// about two points per wavelength, the wave is evanescent and alternates,
// u_i = (-1)^i sinh(q (N - i)) / sinh(q N) with cosh q = -c.
double LineValue(double alpha, double h, int i)
{
    const double t = (alpha * h) * (alpha * h);
    const double c = (6.0 - 2.0 * t) / (6.0 + t);
    if (c >= -1.0) {
        const double k = std::acos(c) / h;
        return std::sin(k * (15.0 - i * h)) / std::sin(15.0 * k);
    }
    const int n = static_cast<int>(std::lround(15.0 / h));
    const double q = std::acosh(-c);
    return (i % 2 ? -1.0 : 1.0) * std::sinh(q * (n - i)) / std::sinh(q * n);
}

double Continuum(double alpha, double x)
{
    return std::sin(alpha * (15.0 - x)) / std::sin(15.0 * alpha);
}

TEST(Study, NodalErrorsAreThoseOfTheDiscreteDispersionRelation)
{
    const std::vector<StudyMesh> ladder = {{15, 5}, {30, 10}, {60, 20}, {120, 40}};
    for (const double alpha : {0.5, 2.0, 5.0}) {
        const std::vector<SolutionErrors> rows = StudySolution(alpha, ladder);
        ASSERT_EQ(rows.size(), ladder.size());
        for (const SolutionErrors& e : rows) {
            const double h = 15.0 / e.mesh.divX;
            double largest = 0.0;
            for (int i = 0; i <= e.mesh.divX; ++i)
                largest = std::max(largest,
                                   std::fabs(LineValue(alpha, h, i) - Continuum(alpha, i * h)));
            EXPECT_NEAR(e.maxNodal, largest, 1e-9 * std::max(1.0, largest))
                << "alpha " << alpha << " on " << e.mesh.divX << " x " << e.mesh.divY;
            EXPECT_EQ(e.h, h);
            EXPECT_DOUBLE_EQ(e.pointsPerWavelength, 2.0 * M_PI / (alpha * h));
        }
    }
}

TEST(Study, IntegralsAgreeWithACompositeSimpsonRule)
{
    // The field is constant along y, so each element's integrals are dy times those along x of
    // the linear interpolant of the line's nodal values against the continuum.
    const double alpha = 2.0;
    const StudyMesh mesh{30, 10};
    const SolutionErrors e = StudySolution(alpha, {mesh, {60, 20}}).front();
    const double h = 0.5;
    double l2 = 0.0, h1 = 0.0;
    const int m = 400;  // Simpson intervals per element
    for (int i = 0; i < mesh.divX; ++i) {
        const double a = LineValue(alpha, h, i), b = LineValue(alpha, h, i + 1);
        for (int s = 0; s <= m; ++s) {
            const double weight = (s == 0 || s == m ? 1.0 : s % 2 ? 4.0 : 2.0) * h / (3.0 * m);
            const double x = i * h + s * h / m, u = a + (b - a) * (x - i * h) / h;
            const double du = (b - a) / h;
            const double dw = -alpha * std::cos(alpha * (15.0 - x)) / std::sin(15.0 * alpha);
            l2 += 5.0 * weight * std::pow(u - Continuum(alpha, x), 2);
            h1 += 5.0 * weight * std::pow(du - dw, 2);
        }
    }
    EXPECT_NEAR(e.l2, std::sqrt(l2), 1e-9 * std::sqrt(l2));
    EXPECT_NEAR(e.h1, std::sqrt(h1), 1e-9 * std::sqrt(h1));
}

TEST(Study, OrdersSettleAtTwoAndOneOnAWellResolvedCase)
{
    const std::vector<StudyMesh> ladder = {{30, 10}, {60, 20}, {120, 40}, {240, 80}};
    const std::vector<SolutionErrors> rows = StudySolution(0.5, ladder);
    const SolutionErrors& p = rows[rows.size() - 2];
    const SolutionErrors& e = rows.back();
    EXPECT_NEAR(ObservedOrder(p.maxNodal, p.h, e.maxNodal, e.h), 2.0, 0.01);
    EXPECT_NEAR(ObservedOrder(p.l2, p.h, e.l2, e.h), 2.0, 0.01);
    EXPECT_NEAR(ObservedOrder(p.h1, p.h, e.h1, e.h), 1.0, 0.01);

    // The resonances: the mesh's own, confirmed by the inertia, converge at order 2.
    const std::vector<ResonanceErrors> modes = StudyResonances(6, DefaultLadder(), 2);
    int rowsOfMode6 = 0;
    for (std::size_t k = 0; k < modes.size(); ++k) {
        EXPECT_TRUE(modes[k].counted) << "mode " << modes[k].index;
        EXPECT_GT(modes[k].alpha, modes[k].continuum);  // the consistent mass errs above
        if (k > 0 && modes[k - 1].index == modes[k].index && modes[k].mesh.divX >= 60) {
            const double e0 = modes[k - 1].alpha - modes[k - 1].continuum;
            const double e1 = modes[k].alpha - modes[k].continuum;
            EXPECT_NEAR(ObservedOrder(e0, modes[k - 1].h, e1, modes[k].h), 2.0, 0.01);
        }
        rowsOfMode6 += modes[k].index == 6;
    }
    EXPECT_EQ(rowsOfMode6, 5);
}

TEST(Study, LaddersAndTheContinuumsResonances)
{
    std::string error;
    EXPECT_EQ(ReadLadder("15x5,30x10", error)->back().divY, 10);
    for (const char* bad : {"15x5", "15x5,15x10", "15x5,30", "15x5,x10", "0x5,30x10", "15x5,,30x10",
                            "15x5,30x10,60X20", "15x5,-30x10"})
        EXPECT_FALSE(ReadLadder(bad, error)) << bad;
    EXPECT_TRUE(NearContinuumResonance(M_PI / 15.0 * 7.0));
    EXPECT_TRUE(NearContinuumResonance(-M_PI / 15.0 * 7.0 * (1.0 + 5e-7)));
    EXPECT_FALSE(NearContinuumResonance(M_PI / 15.0 * 7.0 * (1.0 + 1e-5)));
    EXPECT_FALSE(NearContinuumResonance(0.0));
    EXPECT_FALSE(NearContinuumResonance(5.0));
    EXPECT_EQ(ContinuumResonanceRefusal(0.5).rfind("alpha 0.5 lies within 1e-6 of a resonance", 0), 0u);

    // The default ladder: square elements, each half the last, from 15 x 5 to 240 x 80.
    const std::vector<StudyMesh> ladder = DefaultLadder();
    ASSERT_EQ(ladder.size(), 5u);
    for (std::size_t k = 0; k < ladder.size(); ++k) {
        EXPECT_EQ(ladder[k].divX, 15 << k);
        EXPECT_EQ(ladder[k].divY, 5 << k);
    }
    EXPECT_EQ(ReadStudyResonanceCount("1"), 1);
    EXPECT_EQ(ReadStudyResonanceCount("1000"), 1000);
    for (const char* bad : {"0", "1001", "6.0", "", "2147483648"})
        EXPECT_FALSE(ReadStudyResonanceCount(bad)) << bad;
    EXPECT_EQ(StudyResonanceCountRefusal("0"), "takes a whole number from 1 to 1000, not '0'");
}

// The mesh size is the longer side of an element, which sets the points per wavelength.
TEST(Study, TheMeshSizeIsTheLongerSideOfAnElement)
{
    EXPECT_EQ(MeshSize({15, 10}), 1.0);  // 1 x 0.5
    EXPECT_EQ(MeshSize({30, 5}), 1.0);   // 0.5 x 1
    EXPECT_EQ(MeshSize({90, 30}), 1.0 / 6.0);
    EXPECT_DOUBLE_EQ(PointsPerWavelength({30, 5}, 2.0), M_PI);
}

// At alpha 0 the continuum is its static limit (15 - x) / 15, which the bilinear element holds
// exactly; where a solve is not finite the errors say NaN and the note names the meshes.
TEST(Study, TheStaticLimitAndNonFiniteSolvesAreSaid)
{
    for (const double alpha : {0.0, -0.0, 1e-300, 1e-12}) {
        const ContinuumSolution exact{alpha};
        EXPECT_EQ(exact.w(0.0), 1.0) << alpha;
        EXPECT_EQ(exact.w(15.0), 0.0) << alpha;
        EXPECT_NEAR(exact.w(6.0), 0.6, 1e-16) << alpha;
        EXPECT_NEAR(exact.dw(3.0), -1.0 / 15.0, 1e-17) << alpha;
    }
    // Just above the limit the ratio of sines takes over, and agrees with it.
    EXPECT_NEAR(ContinuumSolution{2e-9}.w(6.0), 0.6, 1e-15);

    const std::vector<StudyMesh> ladder{{15, 5}, {30, 10}};
    for (const SolutionErrors& r : StudySolution(0.0, ladder)) {
        EXPECT_TRUE(r.finite);
        EXPECT_LT(r.maxNodal, 1e-14);
        EXPECT_LT(r.l2, 1e-13);
        EXPECT_LT(r.h1, 1e-13);
    }
    EXPECT_FALSE(NonFiniteStudyNote(StudySolution(2.0, ladder)));

    const std::vector<SolutionErrors> overflowed = StudySolution(1e308, ladder);
    for (const SolutionErrors& r : overflowed) {
        EXPECT_FALSE(r.finite);
        EXPECT_TRUE(std::isnan(r.maxNodal)) << r.maxNodal;  // never a largest error of 0
    }
    EXPECT_EQ(NonFiniteStudyNote(overflowed),
              "the solves of the 15 x 5, 30 x 10 meshes are not finite, and so are their errors");
    std::vector<SolutionErrors> one = overflowed;
    one[0].finite = true;
    EXPECT_EQ(NonFiniteStudyNote(one),
              "the solve of the 30 x 10 mesh is not finite, and so are its errors");
}

// A mesh has the continuum's resonance (kx, ky) where kx < divx and ky <= divy: the note counts
// the rows each mesh has, and is silent where every mesh has all n.
TEST(Study, AMeshThatLacksResonancesIsNamedWithItsCount)
{
    const std::vector<StudyMesh> ladder{{2, 1}, {15, 5}, {30, 10}};
    const std::vector<ResonanceErrors> rows = StudyResonances(100, ladder, 2);
    std::vector<int> has(ladder.size(), 0);
    for (const ResonanceErrors& r : rows)
        for (std::size_t k = 0; k < ladder.size(); ++k)
            has[k] += r.mesh.divX == ladder[k].divX && r.mesh.divY == ladder[k].divY;
    EXPECT_EQ(has, (std::vector<int>{2, 81, 100}));
    EXPECT_EQ(MissingResonancesNote(100, ladder, rows),
              "of the 100 lowest resonances of the continuum, the 2 x 1 mesh has 2, the 15 x 5 "
              "mesh 81 and the 30 x 10 mesh 100; the table lists those");
    const std::vector<StudyMesh> fine{{15, 5}, {30, 10}};
    EXPECT_FALSE(MissingResonancesNote(10, fine, StudyResonances(10, fine, 1)));
}

}  // namespace

namespace {

// The relative phase error of the discrete wave for alpha h = t, written afresh.
double PhaseErrorOf(double t)
{
    return std::fabs(std::acos((6.0 - 2.0 * t * t) / (6.0 + t * t)) / t - 1.0);
}

TEST(Study, TheAccuracyNoteFollowsTheDispersionRelation)
{
    const Dispersion d = DispersionOf({90, 30}, 5.0);
    EXPECT_NEAR(d.pointsPerWavelength, 2.0 * M_PI / (5.0 / 6.0), 1e-12);
    EXPECT_NEAR(d.phaseError, PhaseErrorOf(5.0 / 6.0), 1e-12);
    // The mesh it names is fine enough, and one division fewer along x is not.
    EXPECT_LT(PhaseErrorOf(5.0 * 15.0 / d.fineEnough.divX), 0.01);
    EXPECT_GE(PhaseErrorOf(5.0 * 15.0 / (d.fineEnough.divX - 1)), 0.01);
    EXPECT_EQ(d.fineEnough.divY, static_cast<int>(std::ceil(d.fineEnough.divX / 3.0)));

    const std::optional<std::string> note = AccuracyNote({90, 30}, 5.0);
    ASSERT_TRUE(note);
    EXPECT_EQ(*note, "note: 7.54 points per wavelength on the 90 x 30 mesh at alpha 5: the "
                     "discrete wave's phase is off by 2.7% a wavelength; a " +
                         std::to_string(d.fineEnough.divX) + " x " +
                         std::to_string(d.fineEnough.divY) +
                         " mesh brings that under 1%; the low-dispersion scheme's is off by 0.1% "
                         "on this mesh");
    EXPECT_FALSE(AccuracyNote({90, 30}, 2.0));   // 18.8 points per wavelength
    EXPECT_FALSE(AccuracyNote({90, 30}, 0.0));
    EXPECT_FALSE(AccuracyNote({4, 2}, NAN));
    EXPECT_NE(AccuracyNote({15, 5}, 5.0)->find("no discrete wave propagates"), std::string::npos);
    EXPECT_NE(AccuracyNote({4, 2}, 1e200)->find("no mesh a record can number"), std::string::npos);
}

}  // namespace

namespace {

// The orders of a table come from the row before in the same series alone: errors that halve
// with h show order 1, that quarter order 2, and the first row of each series none.
TEST(Study, TheTablesOrdersFollowEachSeries)
{
    ConvergenceTable table;
    table.Add(1, 1.0, {8.0, 1.0});
    table.Add(1, 0.5, {4.0, 0.25});
    table.Add(2, 0.5, {3.0, 0.0});
    table.Add(2, 0.25, {0.75, 0.0});
    table.EvaluateOrders();
    const auto& rows = table.Rows();
    EXPECT_TRUE(std::isnan(rows[0].orders[0]) && std::isnan(rows[2].orders[1]));
    EXPECT_DOUBLE_EQ(rows[1].orders[0], 1.0);
    EXPECT_DOUBLE_EQ(rows[1].orders[1], 2.0);
    EXPECT_TRUE(std::isnan(rows[2].orders[0]));
    EXPECT_DOUBLE_EQ(rows[3].orders[0], 2.0);
    EXPECT_TRUE(std::isnan(rows[3].orders[1]));  // an error of 0 shows no order
}

}  // namespace
