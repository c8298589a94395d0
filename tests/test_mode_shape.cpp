// Mode shapes: normalised in an M of the test's own, residuals and orthonormality, the sign and
// the labels, participation against the symmetry of the load, independence of the threads, and
// the solution near a resonance, which behaves like phi p / (alpha^2 - alpha_k^2).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "TestSupport.h"
#include "command/RunArguments.h"
#include "solver/ModeShape.h"
#include "solver/SeparableModes.h"
#include "solver/ShiftInvertLanczos.h"

namespace {

// M x of the bilinear mass matrix, area/36 [4 2 1 2; 2 4 2 1; 1 2 4 2; 2 1 2 4] per element, and
// K x of the bilinear Laplace stiffness, written here afresh from the textbook; with absolute
// values, |K| x.
void MassAndStiffness(int divX, int divY, const std::vector<double>& x, std::vector<double>& mx,
                      std::vector<double>& kx, bool absolute = false)
{
    const double dx = 15.0 / divX, dy = 5.0 / divY, a = dx * dy, l = dx / dy, f = dy / dx;
    const double me[4][4] = {{4, 2, 1, 2}, {2, 4, 2, 1}, {1, 2, 4, 2}, {2, 1, 2, 4}};
    const double ke[4][4] = {{(l + f) / 3, l / 6 - f / 3, -(l + f) / 6, f / 6 - l / 3},
                             {l / 6 - f / 3, (l + f) / 3, f / 6 - l / 3, -(l + f) / 6},
                             {-(l + f) / 6, f / 6 - l / 3, (l + f) / 3, l / 6 - f / 3},
                             {f / 6 - l / 3, -(l + f) / 6, l / 6 - f / 3, (l + f) / 3}};
    const int rows = divY + 1;
    mx.assign(x.size(), 0.0);
    kx.assign(x.size(), 0.0);
    for (int i = 0; i < divX; ++i)
        for (int j = 0; j < divY; ++j) {
            const int n[4] = {i * rows + j + 1, (i + 1) * rows + j + 1, (i + 1) * rows + j + 2,
                              i * rows + j + 2};
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q < 4; ++q) {
                    mx[n[p]] += a / 36 * me[p][q] * x[n[q]];
                    kx[n[p]] += (absolute ? std::fabs(ke[p][q]) : ke[p][q]) * x[n[q]];
                }
        }
}

bool OnFixedEdge(int divX, int divY, int n)
{
    const int i = (n - 1) / (divY + 1);
    return i == 0 || i == divX;
}

std::vector<ModeShape> Shapes(int divX, int divY, bool option, int first, int last, int threads = 2)
{
    ResonanceSearch search;
    search.divX = divX;
    search.divY = divY;
    search.threads = threads;
    return FindShapes(search, option, first, last);
}

TEST(ModeShape, TwoByOneMeshInClosedForm)
{
    // Two free nodes, 3 and 4: in phase (kx 1, ky 0), then against each other (ky 1), the tie
    // of magnitudes broken for the lower node.
    const std::vector<ModeShape> s = Shapes(2, 1, false, 1, 2);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].phi[3], s[0].phi[4]);
    EXPECT_GT(s[0].phi[3], 0.0);
    EXPECT_NEAR(s[1].phi[3], -s[1].phi[4], 1e-15);
    EXPECT_GT(std::max(s[1].phi[3], s[1].phi[4]), 0.0);  // the larger by rounding is positive
    EXPECT_GT(std::fabs(s[1].phi[3]) >= std::fabs(s[1].phi[4]) ? s[1].phi[3] : s[1].phi[4], 0.0);
    EXPECT_EQ((std::pair{s[0].kx, s[0].ky}), (std::pair{1, 0}));
    EXPECT_EQ((std::pair{s[1].kx, s[1].ky}), (std::pair{1, 1}));
    for (int n : {1, 2, 5, 6})
        EXPECT_EQ(s[0].phi[n], 0.0);
    // The even edge pulls on the first alone.
    EXPECT_NE(s[0].participation, 0.0);
    EXPECT_LE(std::fabs(s[1].participation), 1e-12);
}

TEST(ModeShape, OrthonormalSettledSignedAndLabelled)
{
    for (auto [divX, divY, last] : {std::tuple{20, 8, 171}, {90, 30, 50}}) {
        const std::vector<ModeShape> s = Shapes(divX, divY, true, 1, last);
        ASSERT_EQ(static_cast<int>(s.size()), last);
        // ||K||, the 2-norm, at most its largest absolute row sum: |K| times ones.
        std::vector<double> ones(s[0].phi.size(), 1.0), unused, rowSums;
        MassAndStiffness(divX, divY, ones, unused, rowSums, true);
        const double kNorm = *std::max_element(rowSums.begin() + 1, rowSums.end());
        std::vector<std::vector<double>> mphi(s.size()), kphi(s.size());
        for (std::size_t k = 0; k < s.size(); ++k) {
            MassAndStiffness(divX, divY, s[k].phi, mphi[k], kphi[k]);
            const double lambda = s[k].alpha * s[k].alpha;
            double r = 0.0, pnorm = 0.0, largest = 0.0;
            for (std::size_t n = 1; n < s[k].phi.size(); ++n) {
                if (OnFixedEdge(divX, divY, static_cast<int>(n))) {
                    EXPECT_EQ(s[k].phi[n], 0.0);
                    continue;
                }
                r += std::pow(kphi[k][n] - lambda * mphi[k][n], 2);
                pnorm += s[k].phi[n] * s[k].phi[n];
                if (std::fabs(s[k].phi[n]) > std::fabs(largest))
                    largest = s[k].phi[n];
            }
            EXPECT_LE(std::sqrt(r) / (kNorm * std::sqrt(pnorm)), 1e-10)
                << divX << "x" << divY << " mode " << k + 1;
            EXPECT_GT(largest, 0.0);
            EXPECT_GE(s[k].kx, 1);
            EXPECT_LE(std::fabs(s[k].alpha - ContinuumAlpha(s[k].kx, s[k].ky)),
                      0.25 * s[k].alpha) << "mode " << k + 1 << " labelled far from its alpha";
        }
        for (std::size_t i = 0; i < s.size(); ++i)
            for (std::size_t j = 0; j < s.size(); ++j) {
                double g = 0.0;
                for (std::size_t n = 1; n < s[i].phi.size(); ++n)
                    g += s[i].phi[n] * mphi[j][n];
                EXPECT_NEAR(g, i == j ? 1.0 : 0.0, 1e-10) << i + 1 << "," << j + 1;
            }
    }
}

TEST(ModeShape, LoadReachesOnlyTheModesItsSymmetryAllows)
{
    // The option off loads the left edge evenly: only ky = 0 answers. With the option on the
    // peak is symmetric about the middle: no odd ky answers.
    for (auto [divX, divY, option, last] :
         {std::tuple{20, 8, false, 171}, {20, 8, true, 171}, {90, 30, true, 57}}) {
        const std::vector<ModeShape> s = Shapes(divX, divY, option, 1, last);
        double largest = 0.0;
        for (const ModeShape& m : s)
            largest = std::max(largest, std::fabs(m.participation));
        int excited = 0;
        for (const ModeShape& m : s) {
            const bool silent = option ? m.ky % 2 == 1 : m.ky >= 1;
            if (silent) {
                EXPECT_LE(std::fabs(m.participation), 1e-9 * largest)
                    << divX << "x" << divY << " mode " << m.index << " (" << m.kx << ", " << m.ky << ")";
            }
            excited += std::fabs(m.participation) > 1e-9 * largest;
        }
        EXPECT_GT(excited, 5);
    }
}

TEST(ModeShape, CloseResonancesTurnTheirParticipationToTheFirst)
{
    // 14 and 15 of 90 x 30 lie 7e-11 apart: (3, 2) and (6, 1) of the continuous membrane.
    const std::vector<ModeShape> s = Shapes(90, 30, true, 14, 15);
    ASSERT_LT(s[1].alpha - s[0].alpha, kClusterTolerance * s[1].alpha);
    EXPECT_GT(std::fabs(s[0].participation), 0.1);
    EXPECT_LE(std::fabs(s[1].participation), 1e-12);
    EXPECT_EQ((std::pair{s[0].kx, s[0].ky}), (std::pair{3, 2}));
    EXPECT_EQ((std::pair{s[1].kx, s[1].ky}), (std::pair{6, 1}));
}

TEST(ModeShape, SameBitsOnAnyNumberOfThreads)
{
    const std::vector<ModeShape> one = Shapes(30, 10, true, 1, 40, 1);
    const std::vector<ModeShape> three = Shapes(30, 10, true, 1, 40, 3);
    ASSERT_EQ(one.size(), three.size());
    for (std::size_t k = 0; k < one.size(); ++k) {
        EXPECT_EQ(std::memcmp(one[k].phi.data(), three[k].phi.data(),
                              one[k].phi.size() * sizeof(double)), 0) << k + 1;
        EXPECT_EQ(one[k].participation, three[k].participation);
    }
}

TEST(ModeShape, SolutionNearAResonanceIsItsShapeTimesItsParticipation)
{
    for (const int k : {1, 3, 13}) {
        const ModeShape s = Shapes(20, 8, true, k, k).front();
        const double alpha = s.alpha * (1.0 + 1e-7);
        auto m = MakeRecord();
        Solve(*m, 20, 8, alpha, true);
        const double scale = alpha * alpha - s.alpha * s.alpha;
        for (int n = 1; n <= m->m_nNode; ++n) {
            if (OnFixedEdge(20, 8, n))
                continue;
            EXPECT_NEAR(m->m_W[n] * scale, s.phi[n] * s.participation,
                        1e-4 * std::fabs(s.participation)) << "mode " << k << " node " << n;
        }
    }
}

}  // namespace

namespace {

// FindShapes' participations of the listed resonances, and the largest of them.
std::vector<double> ShapeParticipations(const ResonanceSearch& search, bool option,
                                        const std::vector<NumberedResonance>& near,
                                        double& largest)
{
    const auto [first, last] = NumberSpan(near);
    const std::vector<ModeShape> shapes = FindShapes(search, option, first, last);
    largest = 0.0;
    for (const ModeShape& s : shapes)
        largest = std::max(largest, std::fabs(s.participation));
    std::vector<double> listed;
    for (const NumberedResonance& r : near)
        listed.push_back(shapes[r.index - first].participation);
    return listed;
}

TEST(ModeShape, ParticipationsFromCoarseAlphasAreThoseOfTheShapes)
{
    // The alphas as a plot finds them, to a pixel, many sharing one, or below zero; the
    // participations must be those FindShapes gives, clusters turned alike, with the load of
    // either option, up to the highest resonance of a small mesh.
    struct Case {
        int divX, divY;
        double a0, a1;
    };
    // 30 x 10 has square elements, like the default mesh: exactly degenerate pairs among its
    // clusters.
    for (const Case c : {Case{30, 10, -0.5, 6.0}, Case{7, 3, 0.0, 100.0}, Case{2, 1, 0.0, 100.0}})
        for (const bool option : {false, true}) {
            ResonanceSearch search;
            search.divX = c.divX;
            search.divY = c.divY;
            search.threads = 2;
            ResonanceSearch coarse = search;
            coarse.tolerance = 0.01;
            const std::vector<NumberedResonance> near = FindResonancesIn(coarse, c.a0, c.a1);
            const std::vector<double> fast = FindParticipations(search, option, Numbers(near));
            double largest = 0.0;
            const std::vector<double> shapes = ShapeParticipations(search, option, near, largest);
            ASSERT_EQ(fast.size(), near.size());
            for (std::size_t k = 0; k < near.size(); ++k)
                EXPECT_NEAR(std::fabs(fast[k]), std::fabs(shapes[k]), 1e-9 * largest)
                    << c.divX << " x " << c.divY << " option " << option << " mode "
                    << near[k].index;
        }
}

TEST(ModeShape, ParticipationsTakeTheShapesWhenACountDisagrees)
{
    // Counts the caller took that the closed form agrees with change nothing, nor does the
    // number of threads; a count it does not agree with hands every listed resonance to
    // FindShapes.
    ResonanceSearch search;
    search.divX = 20;
    search.divY = 8;
    search.threads = 2;
    const std::vector<NumberedResonance> near = FindResonancesIn(search, 1.0, 3.0);
    const std::vector<double> separable = FindParticipations(search, true, Numbers(near));
    ResonanceCounter counter(20, 8);
    ResonanceSearch counted = search;
    counted.threads = 1;
    for (const double alpha : {0.0, 1.0, 2.0, 3.0})
        counted.known.push_back(counter.CountBelow(alpha));
    EXPECT_EQ(FindParticipations(counted, true, Numbers(near)), separable);

    ResonanceSearch wrong = counted;
    wrong.known.push_back({2.5, counter.CountBelow(2.5).below + 1});
    double largest = 0.0;
    EXPECT_EQ(FindParticipations(wrong, true, Numbers(near)),
              ShapeParticipations(wrong, true, near, largest));
}

}  // namespace

namespace {

// Beyond the dialog's limits the lowest shapes come from the Lanczos vectors: the shapes,
// labels and participations of inverse iteration, the degenerate pair 14 and 15 of square
// elements turned towards the load alike. A shape whose largest magnitude lies on two mirrored
// nodes may take either sign: the tie is decided by rounding.
TEST(ModeShape, LanczosShapesAreInverseIterations)
{
    const ResonanceSearch search = MeshSearch(93, 31, 2);
    const std::optional<std::vector<ModeShape>> lanczos = LanczosShapes(search, true, 3, 16);
    ASSERT_TRUE(lanczos);
    const std::vector<ModeShape> iterated = FindShapes(search, true, 3, 16);
    ASSERT_EQ(lanczos->size(), iterated.size());
    for (std::size_t k = 0; k < iterated.size(); ++k) {
        const ModeShape &a = (*lanczos)[k], &b = iterated[k];
        EXPECT_EQ(std::tie(a.index, a.kx, a.ky), std::tie(b.index, b.kx, b.ky));
        EXPECT_NEAR(a.alpha, b.alpha, 1e-12 * b.alpha);
        const int atA = LargestNode(a.phi), atB = LargestNode(b.phi);
        double sign = 1.0;
        if (atA != atB) {
            EXPECT_NEAR(std::fabs(a.phi[atB]), a.phi[atA], 1e-9 * a.phi[atA]) << b.index;
            sign = a.phi[atB] < 0.0 ? -1.0 : 1.0;
        }
        EXPECT_NEAR(sign * a.participation, b.participation, 1e-8) << "resonance " << b.index;
        double difference = 0.0;
        for (std::size_t n = 1; n < b.phi.size(); ++n)
            difference = std::max(difference, std::fabs(sign * a.phi[n] - b.phi[n]));
        EXPECT_LT(difference, 1e-8) << "resonance " << b.index;
    }
}

}  // namespace
