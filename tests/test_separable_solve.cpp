// The separable solver against oracles of its own: the sparse LDL^T on the same systems, with
// the same inertia; the line's closed form from each scheme's dispersion relation; the band
// elimination on meshes of awkward sizes; and the memory each form needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/RunArguments.h"
#include "solver/SeparableModes.h"
#include "solver/SeparableSolve.h"
#include "solver/ShiftInvertLanczos.h"
#include "solver/SizedRecord.h"

namespace {

struct Solved {
    std::vector<double> w;
    BandInertia inertia;
};

// The problem solved in the form on a record sized to it, as every front end solves it.
Solved SolveIn(SolverForm form, std::int32_t divX, std::int32_t divY, double alpha, bool option,
               Scheme scheme)
{
    const auto record = std::make_unique<SizedRecord>(divX, divY, NeedsBand(form));
    if (form == SolverForm::Separable && WithinDialogLimits(divX, divY)) {
        // Within the dialog's limits the chooser keeps the band: the solver itself, directly.
        record->m_dAlpha = alpha;
        record->m_bOption = option ? 1 : 0;
        record->BuildBoundaryTable();
        const SeparableOutcome done = SolveSeparable(
            divX, divY, 15.0, 5.0, alpha, scheme, record->m_bndNode, record->m_bndKind,
            record->m_bndValue, record->m_nBound, record->m_W);
        return {std::vector<double>(record->m_W, record->m_W + record->m_nNode + 1),
                done.inertia};
    }
    struct : ReportSink {
        void ResetList() override {}
        void AddLine(std::string_view) override {}
        void AddValueLines(const NodalField&, ValueFormat) override {}
        void RequestRepaint() override {}
        void SetTable(std::string) override {}
    } sink;
    const SolverRequest request = form == SolverForm::Band     ? SolverRequest::Band
                                  : form == SolverForm::Sparse ? SolverRequest::Sparse
                                                               : SolverRequest::Separable;
    const SizedOutcome done = RunComputeSized(
        *record, {divX, divY, alpha, option, request, scheme}, sink, ValueFormat::Shortest);
    EXPECT_TRUE(done.form == form || (form == SolverForm::Band && WithinDialogLimits(divX, divY)));
    return {std::vector<double>(record->m_W, record->m_W + record->m_nNode + 1), done.inertia};
}

double Largest(const std::vector<double>& w)
{
    double largest = 0.0;
    for (std::size_t n = 1; n < w.size(); ++n)
        largest = std::max(largest, std::fabs(w[n]));
    return largest;
}

// The system's smallest eigenvalue relative to its largest, written afresh from the lines'
// closed forms: how far rounding may move the solution of either form.
double SmallestDivisor(std::int32_t divX, std::int32_t divY, double alpha, Scheme scheme)
{
    const double a = scheme == Scheme::Standard ? 1.0 / 3 : 5.0 / 12, b = 0.5 - a;
    double smallest = HUGE_VAL, largest = 0.0;
    for (int p = 1; p < divX; ++p)
        for (int q = 0; q <= divY; ++q) {
            const double hx = 15.0 / divX, hy = 5.0 / divY;
            const double cx = std::cos(M_PI * p / divX), cy = std::cos(M_PI * q / divY);
            const double mx = 2 * hx * (a + b * cx), my = 2 * hy * (a + b * cy);
            const double kx = 2 / hx * (1 - cx), ky = 2 / hy * (1 - cy);
            const double d = std::fabs(alpha * alpha * mx * my - kx * my - mx * ky);
            smallest = std::min(smallest, d);
            largest = std::max(largest, d);
        }
    return smallest / largest;
}

TEST(Separable, AgreesWithTheSparseFactorisationAndItsInertia)
{
    for (const auto& [divX, divY] : {std::array{150, 100}, {360, 120}})
        for (const Scheme scheme : {Scheme::Standard, Scheme::LowDispersion})
            for (const bool option : {true, false}) {
                const double alpha = 2.5;
                const Solved sparse =
                    SolveIn(SolverForm::Sparse, divX, divY, alpha, option, scheme);
                const Solved fast =
                    SolveIn(SolverForm::Separable, divX, divY, alpha, option, scheme);
                const double tolerance =
                    1e-13 * Largest(sparse.w) / SmallestDivisor(divX, divY, alpha, scheme);
                double worst = 0.0;
                for (std::size_t n = 1; n < sparse.w.size(); ++n)
                    worst = std::max(worst, std::fabs(sparse.w[n] - fast.w[n]));
                EXPECT_LT(worst, tolerance) << divX << " x " << divY << " " << option;
                EXPECT_EQ(fast.inertia.positive, sparse.inertia.positive);
                EXPECT_EQ(fast.inertia.negative, sparse.inertia.negative);
                EXPECT_EQ(fast.inertia.zero, 0);
            }
}

// With the option off the solution does not depend on y: along x it is the discrete wave of the
// scheme's line, w_i = sin(k (15 - x_i)) / sin(15 k), cos(k h) from its dispersion relation.
TEST(Separable, TheLinesClosedFormAtThreeMillionNodes)
{
    const int divX = 3000, divY = 1000;
    const double alpha = 5.0, h = 15.0 / divX, t = alpha * h;
    for (const Scheme scheme : {Scheme::Standard, Scheme::LowDispersion}) {
        const double c = scheme == Scheme::Standard ? (6 - 2 * t * t) / (6 + t * t)
                                                    : (12 - 5 * t * t) / (12 + t * t);
        const double k = std::acos(c) / h;
        const Solved fast = SolveIn(SolverForm::Separable, divX, divY, alpha, false, scheme);
        double worst = 0.0, largest = 0.0;
        for (int i = 0; i <= divX; ++i) {
            const double exact = std::sin(k * (15.0 - i * h)) / std::sin(15.0 * k);
            largest = std::max(largest, std::fabs(exact));
            for (const int j : {0, divY / 2, divY})
                worst = std::max(worst, std::fabs(fast.w[i * (divY + 1) + j + 1] - exact));
        }
        EXPECT_LT(worst, 1e-9 * largest) << static_cast<int>(scheme);
    }
}

// Meshes of prime and of single divisions, where the transforms have awkward or no sizes at all,
// against the band elimination of the same system.
TEST(Separable, AwkwardSizesAgreeWithTheBand)
{
    for (const auto& [divX, divY] :
         {std::array{1, 1}, {1, 7}, {7, 1}, {2, 1}, {97, 31}, {131, 4}, {3, 101}})
        for (const Scheme scheme : {Scheme::Standard, Scheme::LowDispersion}) {
            const Solved band = SolveIn(SolverForm::Band, divX, divY, 1.3, true, scheme);
            const Solved fast = SolveIn(SolverForm::Separable, divX, divY, 1.3, true, scheme);
            const double tolerance =
                1e-13 * std::max(1.0, Largest(band.w)) / SmallestDivisor(divX, divY, 1.3, scheme);
            for (std::size_t n = 1; n < band.w.size(); ++n)
                ASSERT_NEAR(fast.w[n], band.w[n], tolerance) << divX << " x " << divY << " " << n;
            EXPECT_EQ(fast.inertia.positive, band.inertia.positive) << divX << " x " << divY;
        }
}

// The smallest divisor is the distance to the nearest resonance: tiny at one, and the inertia's
// count below alpha steps there, as the factorisations' does.
TEST(Separable, TheSmallestDivisorMeasuresTheDistanceToAResonance)
{
    // (1, 0) of 200 x 4 in closed form: alpha^2 = lambda_x(1), lambda_y(0) = 0.
    const double h = 15.0 / 200, c = std::cos(M_PI / 200);
    const double resonance = std::sqrt(2 / h * (1 - c) / (2 * h * (1.0 / 3 + c / 6)));
    const auto record = std::make_unique<SizedRecord>(200, 4, false);
    record->BuildBoundaryTable();
    const auto solve = [&](double alpha) {
        return SolveSeparable(200, 4, 15.0, 5.0, alpha, Scheme::Standard, record->m_bndNode,
                              record->m_bndKind, record->m_bndValue, record->m_nBound,
                              record->m_W);
    };
    const SeparableOutcome at = solve(resonance), below = solve(resonance * (1 - 1e-6)),
                           above = solve(resonance * (1 + 1e-6)), away = solve(0.5 * resonance);
    EXPECT_LT(at.smallestDivisor, 1e-12);
    EXPECT_GT(away.smallestDivisor, 1e-6);
    const int fixed = 2 * 5;
    EXPECT_EQ(below.inertia.positive - fixed, 0);
    EXPECT_EQ(above.inertia.positive - fixed, 1);
    EXPECT_EQ(away.inertia.negative, 199 * 5);
}

// Each form is refused for its own need: the separable solver keeps the values alone.
TEST(Separable, TheMemoryRefusalIsTheFormsOwn)
{
    const std::uint64_t band = *SizedRecordBytes(720, 240), values = *SeparableSolveBytes(720, 240);
    EXPECT_EQ(values, 8 * (721 * 241 + 1) + 16 * (2 * 960 + 1));
    EXPECT_GT(band, 40 * values);
    EXPECT_EQ(*SolveBytes(720, 240, SolverForm::Separable), values);
    EXPECT_EQ(*SolveBytes(720, 240, SolverForm::Sparse), band);
    EXPECT_TRUE(MeshOverBudget(720, 240, 1, 100e6, "100 MB", SolverForm::Sparse));
    EXPECT_FALSE(MeshOverBudget(720, 240, 1, 100e6, "100 MB", SolverForm::Separable));
    // 17.3 million nodes: their values fit where a band of 333 GB never would.
    EXPECT_FALSE(MeshOverBudget(7200, 2400, 1, 1e9, "1 GB", SolverForm::Separable));
    const std::optional<std::string> large =
        MeshOverBudget(7200, 2400, 1, 1e8, "100 MB", SolverForm::Separable);
    ASSERT_TRUE(large);
    EXPECT_EQ(*large, "a 7200 x 2400 mesh needs " + ByteText(*SeparableSolveBytes(7200, 2400)) +
                          ", more than 100 MB");
    EXPECT_FALSE(SolveBytes(70000, 70000, SolverForm::Separable)) << "beyond the numbering";
}

// The closed form's lowest modes are the whole spectrum's, sorted, without listing it, the
// degenerate pairs of 30 x 10 among them.
TEST(Separable, TheLowestModesAreTheSortedSpectrumsFirst)
{
    for (const Scheme scheme : {Scheme::Standard, Scheme::LowDispersion}) {
        struct Mode {
            double alpha;
            int kx, ky;
        };
        std::vector<Mode> all;
        for (int p = 1; p < 30; ++p)
            for (int q = 0; q <= 10; ++q)
                all.push_back({SeparableResonance(30, 10, p, q, scheme), p, q});
        std::sort(all.begin(), all.end(), [](const Mode& a, const Mode& b) {
            return a.alpha != b.alpha ? a.alpha < b.alpha
                                      : a.kx != b.kx ? a.kx < b.kx : a.ky < b.ky;
        });
        const std::vector<ClosedFormMode> lowest = LowestSeparableModes(30, 10, scheme, 319);
        ASSERT_EQ(lowest.size(), all.size());
        // Modes of equal alpha may come in either order: their lambdas can differ in the last
        // bit, which orders them. The labels of each run of equal alphas are compared as a set.
        for (std::size_t k = 0; k < all.size();) {
            std::size_t end = k;
            std::vector<std::pair<int, int>> ours, theirs;
            for (; end < all.size() && all[end].alpha == all[k].alpha; ++end) {
                EXPECT_EQ(lowest[end].alpha, all[end].alpha) << end;
                ours.push_back({lowest[end].kx, lowest[end].ky});
                theirs.push_back({all[end].kx, all[end].ky});
            }
            std::sort(ours.begin(), ours.end());
            std::sort(theirs.begin(), theirs.end());
            EXPECT_EQ(ours, theirs) << k;
            k = end;
        }
    }
}

// Against the solver's own: the bisection on its pivots' counts on 93 x 31, and shift-invert
// Lanczos with its shapes on 180 x 60, the independent checks of the closed form.
TEST(Separable, TheClosedFormIsTheSolversSpectrum)
{
    const ResonanceSearch small = MeshSearch(93, 31, 2);
    const std::vector<double> bisected = FindResonances(small, 1, 40);
    const std::vector<ClosedFormMode> closed = LowestSeparableModes(93, 31, Scheme::Standard, 40);
    for (std::size_t k = 0; k < bisected.size(); ++k)
        EXPECT_NEAR(closed[k].alpha, bisected[k], 1e-9 * bisected[k]) << k + 1;

    for (const Scheme scheme : {Scheme::Standard, Scheme::LowDispersion}) {
        const ResonanceSearch large = MeshSearch(180, 60, 2, scheme);
        const std::optional<std::vector<ModeShape>> lanczos = LanczosShapes(large, true, 1, 12);
        ASSERT_TRUE(lanczos);
        const std::vector<ModeShape> shapes = SeparableShapes(large, true, 1, 12);
        ASSERT_EQ(shapes.size(), lanczos->size());
        // Within a cluster the load chooses the basis only where it reaches the shapes; where
        // it reaches none, either basis is the cluster's, so its labels are compared as a set.
        // A participation is held to 1e-7 of the largest: where the load reaches a shape by
        // symmetry not at all, Lanczos' shapes carry rounding of about 1e-8 of it.
        double largest = 0.0;
        for (const ModeShape& shape : *lanczos)
            largest = std::max(largest, std::fabs(shape.participation));
        std::vector<std::pair<int, int>> ourLabels, theirLabels;
        for (std::size_t k = 0; k < shapes.size(); ++k) {
            const ModeShape &ours = shapes[k], &theirs = (*lanczos)[k];
            EXPECT_EQ(ours.index, theirs.index);
            EXPECT_NEAR(ours.alpha, theirs.alpha, 1e-10 * theirs.alpha) << k + 1;
            EXPECT_NEAR(std::fabs(ours.participation), std::fabs(theirs.participation),
                        1e-7 * largest)
                << k + 1;
            ourLabels.push_back({ours.kx, ours.ky});
            theirLabels.push_back({theirs.kx, theirs.ky});
        }
        std::sort(ourLabels.begin(), ourLabels.end());
        std::sort(theirLabels.begin(), theirLabels.end());
        EXPECT_EQ(ourLabels, theirLabels);
    }
}

}  // namespace
