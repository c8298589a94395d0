// The factor step and its inertia, and the resonances found by slicing the spectrum: against
// the closed form of the smallest mesh with free nodes, and for their own consistency.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>

#include "TestSupport.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "solver/BandElimination.h"
#include "solver/Resonance.h"
#include "solver/ShiftInvertLanczos.h"
#include "solver/WorkThreads.h"

namespace {

// The factors of the solve, and with them the solve of the same right-hand side: bit for bit,
// also where a pivot vanishes or the values overflow.
TEST(FactorBand, SameFactorsAndSolutionAsTheSolve)
{
    const struct {
        int divX, divY;
        double alpha;
    } cases[] = {{1, 1, 5.0}, {2, 1, 0.1}, {7, 4, 2.25}, {90, 30, 5.0}, {45, 15, 0.0},
                 {2, 1, VanishingPivotAlpha()}, {4, 2, 1e200}};
    for (const auto& c : cases) {
        auto solved = MakeRecord();
        Constrain(*solved, c.divX, c.divY, c.alpha, true);
        auto factored = std::make_unique<MembraneModel>(*solved);
        solved->SolveBand();
        factored->FactorBand();
        EXPECT_EQ(std::memcmp(solved->m_K, factored->m_K, sizeof solved->m_K), 0)
            << c.divX << "x" << c.divY << " alpha " << c.alpha;
        SubstituteBand(*factored);  // m_W as ApplyBoundary left it
        EXPECT_EQ(std::memcmp(solved->m_W, factored->m_W, sizeof solved->m_W), 0)
            << c.divX << "x" << c.divY << " alpha " << c.alpha;
    }
}

TEST(FactorBand, InertiaAtAlphaZeroAndAtAVanishingPivot)
{
    // Alpha 0: every free pivot is negative, every prescribed one 1.0.
    auto m = MakeRecord();
    Constrain(*m, 7, 3, 0.0, true);
    m->FactorBand();
    BandInertia inertia = m->PivotInertia();
    EXPECT_EQ(inertia.positive, 2 * 4);
    EXPECT_EQ(inertia.negative, 6 * 4);
    EXPECT_EQ(inertia.zero, 0);
    EXPECT_EQ(inertia.firstBadRow, 0);
    EXPECT_EQ(ResonancesBelow(*m, inertia), 0);

    // The pivot of node 3 vanishes; node 4 divides by it and the rest is not a number.
    Constrain(*m, 2, 1, VanishingPivotAlpha(), true);
    m->FactorBand();
    inertia = m->PivotInertia();
    EXPECT_EQ(inertia.firstBadRow, 3);
    EXPECT_EQ(inertia.zero, 1);
    EXPECT_EQ(inertia.positive, 2);  // nodes 1 and 2; node 4's pivot is -inf, 5 and 6 NaN
    EXPECT_EQ(inertia.negative, 1);
}

// The 2 x 1 mesh has two free nodes, 3 and 4, one above the other at x = 7.5. Each lies in both
// elements, on a common vertical edge, so with l = dx/dy and f = dy/dx the free blocks are
//   K = 2 [(l + f)/3, f/6 - l/3; ...],  M = 2 area [1/9, 1/18; ...],
// and the resonances are the square roots of (K11 + K12)/(M11 + M12) (both nodes alike) and
// (K11 - K12)/(M11 - M12) (opposite).
TEST(Resonance, TwoByOneClosedForm)
{
    const double dx = 7.5, dy = 5.0, area = dx * dy, l = dx / dy, f = dy / dx;
    const double k11 = 2 * (l + f) / 3, k12 = 2 * (f / 6 - l / 3);
    const double m11 = 2 * area / 9, m12 = 2 * area / 18;
    const double alike = std::sqrt((k11 + k12) / (m11 + m12));
    const double opposite = std::sqrt((k11 - k12) / (m11 - m12));

    ASSERT_EQ(ResonanceCount(2, 1), 2);
    for (int threads : {1, 2}) {
        ResonanceSearch search;
        search.divX = 2;
        search.divY = 1;
        search.threads = threads;
        const std::vector<double> modes = FindResonances(search, 1, 2);
        ASSERT_EQ(modes.size(), 2u);
        EXPECT_NEAR(modes[0], alike, 2e-12 * alike);
        EXPECT_NEAR(modes[1], opposite, 2e-12 * opposite);
    }

    ResonanceCounter counter(2, 1);
    EXPECT_EQ(counter.CountBelow(0.0).below, 0);
    EXPECT_EQ(counter.CountBelow(alike * 0.999).below, 0);
    EXPECT_EQ(counter.CountBelow(alike * 1.001).below, 1);
    EXPECT_EQ(counter.CountBelow(-alike * 1.001).below, 1);  // only alpha squared counts
    EXPECT_EQ(counter.CountBelow(opposite * 1.001).below, 2);
    EXPECT_EQ(counter.CountBelow(1e6).below, 2);
    // At the vanishing pivot the count is taken at the next double above.
    const ResonanceCounter::Slice s = counter.CountBelow(VanishingPivotAlpha());
    EXPECT_GT(s.alpha, VanishingPivotAlpha());
    EXPECT_EQ(s.below, 1);
}

TEST(Resonance, ModeCountIsOnePerFreeNode)
{
    EXPECT_EQ(ResonanceCount(1, 1), 0);
    EXPECT_EQ(ResonanceCount(1, 30), 0);
    EXPECT_EQ(ResonanceCount(7, 3), 24);
    EXPECT_EQ(ResonanceCount(90, 30), 89 * 31);
    // The highest resonance of a mesh: every mode lies below it, and none of them above.
    ResonanceSearch search;
    search.divX = 7;
    search.divY = 3;
    const double top = FindResonances(search, 24, 24)[0];
    ResonanceCounter counter(7, 3);
    EXPECT_EQ(counter.CountBelow(top * (1 - 1e-9)).below, 23);
    EXPECT_EQ(counter.CountBelow(top * (1 + 1e-9)).below, 24);

    // The ceiling is a bound that the pivots themselves confirm, and above it, where alpha^2
    // overflows and the pivots count nothing, every resonance is below.
    for (const auto& [divX, divY] : {std::pair{2, 1}, {7, 3}, {10, 5}, {40, 1}, {3, 12}}) {
        const double ceiling = ResonanceCeiling(divX, divY);
        ShiftedFactor factor(divX, divY);
        const ShiftedFactor::Factored at = factor.FactorNear(ceiling, 0.0);
        ASSERT_EQ(at.inertia.firstBadRow, 0);
        EXPECT_EQ(factor.ResonancesBelow(at.inertia), ResonanceCount(divX, divY)) << divX;
        ResonanceCounter far(divX, divY);
        for (const double alpha : {1e160, -1e160, 1e308, HUGE_VAL})
            EXPECT_EQ(far.CountBelow(alpha).below, ResonanceCount(divX, divY)) << alpha;
    }
    ResonanceSearch small;
    small.divX = 2;
    small.divY = 1;
    EXPECT_EQ(FindResonancesIn(small, 0.0, 1e160).size(), 2u);
    EXPECT_EQ(FindResonancesIn(small, -1e308, 1e308).size(), 4u);
}

TEST(Resonance, ThreadsAndPartsGiveTheSameModes)
{
    ResonanceSearch one;
    one.divX = 13;
    one.divY = 6;
    ResonanceSearch three = one;
    three.threads = 3;
    const std::vector<double> all = FindResonances(one, 1, 30);
    const std::vector<double> byThree = FindResonances(three, 1, 30);
    ASSERT_EQ(std::memcmp(all.data(), byThree.data(), all.size() * sizeof(double)), 0);
    const std::vector<double> part = FindResonances(one, 11, 20);
    for (int k = 11; k <= 20; ++k)
        EXPECT_EQ(part[k - 11], all[k - 1]) << k;
    for (std::size_t k = 1; k < all.size(); ++k)
        EXPECT_LE(all[k - 1], all[k]) << k;
}

// What a thread throws (a record it cannot allocate, above all) reaches the caller once every
// thread has ended, instead of ending the process.
TEST(Resonance, WorkOnThreadsHandsItsFailureToTheCaller)
{
    for (const int failing : {0, 1, 3}) {
        std::atomic<int> done{0};
        EXPECT_THROW(OnThreads(4, 4,
                               [&](int t) {
                                   if (t == failing)
                                       throw std::bad_alloc();
                                   ++done;
                               }),
                     std::bad_alloc)
            << failing;
        EXPECT_EQ(done.load(), 3) << failing;
    }
    std::atomic<int> calls{0};
    OnThreads(3, 2, [&](int) { ++calls; });
    EXPECT_EQ(calls.load(), 2);
}

TEST(Resonance, ModesInAnIntervalOnBothSides)
{
    ResonanceSearch search;
    search.divX = 13;
    search.divY = 6;
    const std::vector<double> all = FindResonances(search, 1, 12);
    const double mid45 = (all[3] + all[4]) / 2, mid89 = (all[7] + all[8]) / 2;
    const std::vector<NumberedResonance> positive = FindResonancesIn(search, mid45, mid89);
    ASSERT_EQ(positive.size(), 4u);
    for (int k = 5; k <= 8; ++k) {
        EXPECT_EQ(positive[k - 5].index, k);
        EXPECT_EQ(positive[k - 5].alpha, all[k - 1]);
    }
    const std::vector<NumberedResonance> both = FindResonancesIn(search, -mid45, mid45);
    ASSERT_EQ(both.size(), 8u);
    EXPECT_EQ(both.front().index, 4);
    EXPECT_EQ(both.front().alpha, -all[3]);
    EXPECT_EQ(both.back().alpha, all[3]);
    EXPECT_TRUE(FindResonancesIn(search, (all[0] + all[1]) / 2, (all[0] + all[1]) / 2).empty());
    EXPECT_TRUE(FindResonancesIn(search, 0.0, all[0] / 2).empty());

    // Counts taken elsewhere and a coarse tolerance: the same resonances, within the tolerance.
    ResonanceSearch coarse = search;
    coarse.tolerance = 1e-3;
    coarse.known = {{mid45, 4}, {mid89, 8}, {all[0] / 2, 0}};
    const std::vector<double> rough = FindResonances(coarse, 1, 12);
    for (int k = 0; k < 12; ++k)
        EXPECT_NEAR(rough[k], all[k], 1e-3) << k + 1;
}

}  // namespace

namespace {

// The proof that Lanczos missed nothing, against the bisection's counts: the true lowest pass,
// a list with one of them left out or one too many does not.
TEST(Resonance, TheInertiaProofRefusesAListThatMissesOne)
{
    const ResonanceSearch search = MeshSearch(20, 4, 2);
    const std::vector<double> lowest = FindResonances(search, 1, 7);
    for (std::size_t k = 1; k < lowest.size(); ++k)
        ASSERT_GT(lowest[k], lowest[k - 1] * (1 + 1e-6)) << "a mesh of simple resonances";
    EXPECT_TRUE(InertiaProvesLowest(search, lowest));
    std::vector<double> missing = lowest;
    missing.erase(missing.begin() + 3);
    ResonanceCounter counter(20, 4);
    ASSERT_EQ(counter.CountBelow(missing.back() * (1 - 1e-9)).below,
              static_cast<std::int32_t>(missing.size()));  // the oracle: one more lies below
    EXPECT_FALSE(InertiaProvesLowest(search, missing));
    std::vector<double> extra = lowest;
    extra.insert(extra.begin() + 2, (lowest[1] + lowest[2]) / 2);
    EXPECT_FALSE(InertiaProvesLowest(search, extra));
}

// Beyond the dialog's limits the lowest resonances come from shift-invert Lanczos: the same as
// the bisection's to 1e-12, clusters included, and those of the discrete closed form.
TEST(Resonance, LanczosGivesTheBisectionsAndTheClosedFormsResonances)
{
    ResonanceSearch search = MeshSearch(93, 31, 2);
    // 93 x 31 has square elements: 14 and 15 are a degenerate pair, as on the default mesh.
    const std::optional<std::vector<double>> lanczos = LanczosResonances(search, 15);
    ASSERT_TRUE(lanczos);
    const std::vector<double> bisected = FindResonances(search, 12, 15);
    for (int k = 11; k < 15; ++k)
        EXPECT_NEAR((*lanczos)[k], bisected[k - 11], 1e-12 * bisected[k - 11])
            << "resonance " << k + 1;

    // 180 x 60: the lines' eigenvalues 6/h^2 (1 - cos t)/(2 + cos t), t = pi k / n, sines
    // along x and cosines along y, summed.
    search.divX = 180;
    search.divY = 60;
    std::vector<double> closed;
    const auto line = [](double h, int k, int n) {
        const double c = std::cos(M_PI * k / n);
        return 6.0 / (h * h) * (1.0 - c) / (2.0 + c);
    };
    for (int p = 1; p < 40; ++p)
        for (int q = 0; q < 20; ++q)
            closed.push_back(std::sqrt(line(15.0 / 180, p, 180) + line(5.0 / 60, q, 60)));
    std::sort(closed.begin(), closed.end());
    const std::optional<std::vector<double>> fine = LanczosResonances(search, 20);
    ASSERT_TRUE(fine);
    for (int k = 0; k < 20; ++k)
        EXPECT_NEAR((*fine)[k], closed[k], 1e-12 * closed[k]) << "resonance " << k + 1;
}

}  // namespace

namespace {

// The note of a solve near a resonance: named within a relative 1e-6 of the bisected alpha, on
// either side, with the half-waves of the closed form; nothing beyond the window, nothing where
// the solve's count disagrees, and the nearest of a degenerate pair's neighbours.
TEST(Resonance, NearResonanceNoteNamesTheResonanceWithinOnePartInAMillion)
{
    ResonanceSearch search = MeshSearch(12, 4, 1);
    const std::vector<double> alphas = FindResonances(search, 1, 6);
    ResonanceCounter counter(12, 4);
    for (int k : {1, 4}) {
        for (double factor : {1.0 - 9e-7, 1.0 + 9e-7}) {
            const double alpha = alphas[k - 1] * factor;
            const std::int32_t below = counter.CountBelow(alpha).below;
            const std::optional<std::string> note = NearResonanceNote(12, 4, -alpha, below);
            ASSERT_TRUE(note) << k;
            EXPECT_NE(note->find(" of resonance " + std::to_string(k) + " of the 12 x 4 mesh"),
                      std::string::npos)
                << *note;
            EXPECT_FALSE(NearResonanceNote(12, 4, alpha, below + 1)) << k;
        }
        const double away = alphas[k - 1] * (1.0 + 2e-6);
        EXPECT_FALSE(NearResonanceNote(12, 4, away, counter.CountBelow(away).below)) << k;
    }
    const std::optional<std::string> first =
        NearResonanceNote(12, 4, alphas[0], counter.CountBelow(alphas[0]).below);
    ASSERT_TRUE(first);
    EXPECT_NE(first->find("with (kx, ky) = (1, 0)"), std::string::npos) << *first;
}

}  // namespace
