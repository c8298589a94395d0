// The low-dispersion scheme against oracles of its own: the element integrated afresh at the
// points (+-sqrt(2/3)) with unit weights, the line's closed-form solution from its dispersion
// relation, the closed-form resonances, and the order at an angle that the standard element and
// the rule that moves only the mass both miss.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "solver/Convergence.h"
#include "solver/Element.h"
#include "solver/Resonance.h"
#include "solver/SizedRecord.h"

namespace {

// The 4 x 4 matrices of a dx x dy element by quadrature on the reference square: the corners
// counter-clockwise from the lower left, N = (1 + xi xi_c)(1 + eta eta_c) / 4, at the points
// (+-p, +-p) with weight w each.
struct Quadrature {
    double k[4][4]{};
    double m[4][4]{};
};
Quadrature Integrated(double dx, double dy, double p, double w)
{
    const double xc[4] = {-1, 1, 1, -1}, yc[4] = {-1, -1, 1, 1};
    Quadrature q;
    for (const double xi : {-p, p})
        for (const double eta : {-p, p})
            for (int a = 0; a < 4; ++a)
                for (int b = 0; b < 4; ++b) {
                    const auto n = [&](int c) { return (1 + xi * xc[c]) * (1 + eta * yc[c]) / 4; };
                    const auto nx = [&](int c) { return xc[c] * (1 + eta * yc[c]) / 4 * (2 / dx); };
                    const auto ny = [&](int c) { return (1 + xi * xc[c]) * yc[c] / 4 * (2 / dy); };
                    const double jacobian = dx * dy / 4;
                    q.k[a][b] += w * jacobian * (nx(a) * nx(b) + ny(a) * ny(b));
                    q.m[a][b] += w * jacobian * n(a) * n(b);
                }
    return q;
}

TEST(LowDispersion, TheElementIsTheQuadratureAtTheNewPoints)
{
    for (const auto& [divX, divY] : {std::array{15, 5}, {90, 30}, {40, 7}}) {
        const double dx = 15.0 / divX, dy = 5.0 / divY;
        for (const Scheme scheme : {Scheme::Standard, Scheme::LowDispersion}) {
            const double point =
                scheme == Scheme::Standard ? 1 / std::sqrt(3.0) : std::sqrt(2.0 / 3.0);
            const Quadrature q = Integrated(dx, dy, point, 1.0);
            const ElementTerms e = ElementTermsOf(15.0, 5.0, divX, divY, divX * divY, scheme);
            // Corner 0 with itself, its neighbour along x (1), along y (3), and opposite (2).
            EXPECT_NEAR(e.kD, q.k[0][0], 1e-14);
            EXPECT_NEAR(-e.kX, q.k[0][1], 1e-14);
            EXPECT_NEAR(-e.kY, q.k[0][3], 1e-14);
            EXPECT_NEAR(-e.kO, q.k[0][2], 1e-14);
            const double area = dx * dy;
            EXPECT_NEAR(e.area * e.mD, q.m[0][0], 1e-15 * area);
            EXPECT_NEAR(e.area * e.mX, q.m[0][1], 1e-15 * area);
            EXPECT_NEAR(e.area * e.mY, q.m[0][3], 1e-15 * area);
            EXPECT_NEAR(e.area * e.mO, q.m[0][2], 1e-15 * area);
        }
    }
}

// Option off, the solution is the line's: u_i = sin(k (15 - x_i)) / sin(15 k) with
// cos(k h) = (12 - 5 t^2) / (12 + t^2), t = alpha h; on every row, to 1e-9 of its largest value.
TEST(LowDispersion, TheSolutionIsTheLinesClosedForm)
{
    const std::int32_t divX = 300, divY = 100;
    const double alpha = 5.0, h = 15.0 / divX, t = alpha * h;
    const double k = std::acos((12 - 5 * t * t) / (12 + t * t)) / h;
    SizedRecord record(divX, divY);
    CollectingSink sink;
    const SizedOutcome done = RunComputeSized(
        record, {divX, divY, alpha, false, SolverRequest::Auto, Scheme::LowDispersion}, sink,
        ValueFormat::Shortest);
    ASSERT_EQ(done.outcome, ComputeOutcome::Solved);
    double largest = 0.0, error = 0.0;
    for (int i = 0; i <= divX; ++i) {
        const double exact = std::sin(k * (15.0 - i * h)) / std::sin(15.0 * k);
        largest = std::max(largest, std::fabs(exact));
        for (int j = 0; j <= divY; ++j)
            error = std::max(error, std::fabs(record.m_W[i * (divY + 1) + j + 1] - exact));
    }
    EXPECT_LT(error, 1e-9 * largest);
}

// The lines' eigenvalues (12 / h^2) (1 - cos t) / (5 + cos t), summed: the mesh's resonances.
std::vector<double> ClosedFormResonances(std::int32_t divX, std::int32_t divY, std::size_t n)
{
    const auto line = [](double h, int p, int cells) {
        const double c = std::cos(M_PI * p / cells);
        return 12.0 / (h * h) * (1 - c) / (5 + c);
    };
    std::vector<double> all;
    for (int p = 1; p < divX; ++p)
        for (int q = 0; q <= divY; ++q)
            all.push_back(std::sqrt(line(15.0 / divX, p, divX) + line(5.0 / divY, q, divY)));
    std::sort(all.begin(), all.end());
    all.resize(n);
    return all;
}

TEST(LowDispersion, TheResonancesAreTheLinesSums)
{
    for (const auto& [divX, divY] : {std::array{30, 10}, {90, 30}}) {
        ResonanceSearch search = MeshSearch(divX, divY, 2);
        search.scheme = Scheme::LowDispersion;
        const std::vector<double> found = FindResonances(search, 1, 40);
        const std::vector<double> closed = ClosedFormResonances(divX, divY, 40);
        bool degenerate = false;
        for (std::size_t k = 0; k < found.size(); ++k) {
            // The pivots' count wavers within a few parts in 1e10 of a degenerate pair, in either
            // scheme: the bisection's answers hold to that.
            EXPECT_NEAR(found[k], closed[k], 1e-9 * closed[k]) << divX << " resonance " << k + 1;
            degenerate = degenerate || (k > 0 && std::fabs(closed[k] - closed[k - 1]) < 1e-12);
        }
        EXPECT_TRUE(degenerate) << "square elements give pairs such as (6, 1) and (3, 2)";
    }
}

// The resonance (kx, ky) of the separable mode for line masses h [a b; b a] and stiffness cross
// factors h [c d; d c]: standard a = c = 1/3; low-dispersion a = c = 5/12; the rule that moves
// only the mass has a = 5/12 but keeps c = 1/3.
double ModeResonance(int divX, int divY, int kx, int ky, double a, double b, double c, double d)
{
    // A line's stiffness and a mass of it for the sampled sine or cosine of pi p / cells.
    const auto stiffness = [](double h, int p, int cells) {
        return 2 * (1 - std::cos(M_PI * p / cells)) / h;
    };
    const auto mass = [](double h, int p, int cells, double ma, double mb) {
        return h * 2 * (ma + mb * std::cos(M_PI * p / cells));
    };
    const double hx = 15.0 / divX, hy = 5.0 / divY;
    const double kxs = stiffness(hx, kx, divX), kys = stiffness(hy, ky, divY);
    const double mx = mass(hx, kx, divX, a, b), my = mass(hy, ky, divY, a, b);
    const double cx = mass(hx, kx, divX, c, d), cy = mass(hy, ky, divY, c, d);
    return std::sqrt((kxs * cy + cx * kys) / (mx * my));
}

// Fourth order in every direction: the resonances (1, 1), (2, 1) and (3, 2), waves at an angle,
// on 15 x 5, 30 x 10, 60 x 20, as the solver finds them, against the continuum's. The rule that
// moves only the mass stays at second order there.
TEST(LowDispersion, FourthOrderAtAnAngleWhereTheMassOnlyRuleIsSecond)
{
    for (const auto& [kx, ky] : {std::array{1, 1}, {2, 1}, {3, 2}}) {
        const double continuum = M_PI * std::hypot(kx / 15.0, ky / 5.0);
        std::vector<double> errors, massOnly;
        for (const int m : {1, 2, 4}) {
            const int divX = 15 * m, divY = 5 * m;
            const double closed =
                ModeResonance(divX, divY, kx, ky, 5.0 / 12, 1.0 / 12, 5.0 / 12, 1.0 / 12);
            // The solver's own resonance there, by its count below the closed form; where the
            // mode is one of a degenerate pair, both have its alpha.
            ResonanceCounter counter(divX, divY, Scheme::LowDispersion);
            const std::int32_t index = counter.CountBelow(closed * (1 - 1e-9)).below + 1;
            ResonanceSearch search = MeshSearch(divX, divY, 1);
            search.scheme = Scheme::LowDispersion;
            const double found = FindResonances(search, index, index)[0];
            EXPECT_NEAR(found, closed, 1e-9 * closed);
            errors.push_back(std::fabs(found - continuum));
            massOnly.push_back(std::fabs(
                ModeResonance(divX, divY, kx, ky, 5.0 / 12, 1.0 / 12, 1.0 / 3, 1.0 / 6) -
                continuum));
        }
        for (std::size_t k = 1; k < errors.size(); ++k) {
            const double order = std::log2(errors[k - 1] / errors[k]);
            EXPECT_GT(order, 3.7) << kx << ", " << ky;
            EXPECT_LT(order, 4.3) << kx << ", " << ky;
            EXPECT_LT(std::log2(massOnly[k - 1] / massOnly[k]), 2.5) << "mass only " << kx;
        }
    }
}

// The phase error a wavelength of the line's discrete wave: fourth order in alpha h for the
// low-dispersion scheme, second for the standard one, against the closed forms written afresh.
TEST(LowDispersion, ThePhaseErrorIsFourthOrder)
{
    const auto phase = [](double t, double a, double b) {
        // A row of (alpha^2 M - K) u = 0 with the line mass h [a b; b a] says
        // u_(i-1) + u_(i+1) = 2 u_i (1 - a t^2) / (1 + b t^2): that ratio is cos(k h).
        return std::fabs(std::acos((1 - a * t * t) / (1 + b * t * t)) / t - 1);
    };
    for (const double t : {0.4, 0.2, 0.1}) {
        EXPECT_NEAR(PhaseError(t, Scheme::LowDispersion), phase(t, 5.0 / 12, 1.0 / 12), 1e-12);
        EXPECT_NEAR(PhaseError(t), phase(t, 1.0 / 3, 1.0 / 6), 1e-12);
    }
    EXPECT_NEAR(PhaseError(0.2, Scheme::LowDispersion) / PhaseError(0.1, Scheme::LowDispersion),
                16.0, 0.2);
    EXPECT_NEAR(PhaseError(0.2) / PhaseError(0.1), 4.0, 0.05);
    EXPECT_GT(LargestResolvedStep(0.01, Scheme::LowDispersion), 2 * LargestResolvedStep(0.01));
}

// The study of the low-dispersion scheme at alpha 2 on a well-resolved ladder: the nodal error
// and the resonances at order 4, the L2 and H1-seminorm errors at 2 and 1, and its resonances
// below the continuum's where the standard element's lie above.
TEST(LowDispersion, TheStudyShowsTheSchemesOrders)
{
    const std::vector<StudyMesh> ladder = {{60, 20}, {120, 40}, {240, 80}};
    const std::vector<SolutionErrors> rows = StudySolution(2.0, ladder, Scheme::LowDispersion);
    for (std::size_t k = 1; k < rows.size(); ++k) {
        EXPECT_NEAR(rows[k].orderMaxNodal, 4.0, 0.3) << k;
        EXPECT_NEAR(rows[k].orderL2, 2.0, 0.2) << k;
        EXPECT_NEAR(rows[k].orderH1, 1.0, 0.1) << k;
    }
    const std::vector<ResonanceErrors> modes = StudyResonances(
        6, {{15, 5}, {30, 10}, {60, 20}}, 2, std::vector{Scheme::Standard, Scheme::LowDispersion});
    ASSERT_EQ(modes.size(), 36u);
    for (const ResonanceErrors& r : modes) {
        EXPECT_TRUE(r.counted) << r.index;
        EXPECT_EQ(r.alpha > r.continuum, r.scheme == Scheme::Standard) << r.index;
        if (!std::isnan(r.order))
            EXPECT_NEAR(r.order, r.scheme == Scheme::Standard ? 2.0 : 4.0, 0.3) << r.index;
    }
    EXPECT_TRUE(std::isnan(modes[18].order)) << "each scheme's series has its own first row";
}

// Both schemes in one table: the standard rows first, each family with its orders, and a column
// that names the scheme; a study of the standard scheme alone keeps its table as it was.
TEST(LowDispersion, TheStudysTableNamesItsSchemes)
{
    const std::vector<StudyMesh> ladder = {{15, 5}, {30, 10}};
    const std::vector<Scheme> both = *ReadStudySchemes("both");
    EXPECT_EQ(both, (std::vector{Scheme::Standard, Scheme::LowDispersion}));
    EXPECT_EQ(*ReadStudySchemes("low-dispersion"), std::vector{Scheme::LowDispersion});
    EXPECT_FALSE(ReadStudySchemes("Both"));
    EXPECT_FALSE(ReadScheme("both"));
    EXPECT_EQ(ReadScheme("standard"), Scheme::Standard);

    const std::string csv = StudySolutionCsv(StudySolution(1.0, ladder, both));
    const std::string standard = StudySolutionCsv(StudySolution(1.0, ladder));
    EXPECT_EQ(standard.substr(0, standard.find('\n')),
              "divx,divy,h,points_per_wavelength,max_nodal_error,l2_error,h1_error,"
              "order_max_nodal,order_l2,order_h1");
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = csv.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(csv.substr(at, end - at));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[0].ends_with(",order_h1,scheme"));
    EXPECT_TRUE(lines[1].ends_with(",,,,standard")) << lines[1];
    EXPECT_TRUE(lines[2].ends_with(",standard"));
    EXPECT_TRUE(lines[3].ends_with(",,,,low-dispersion")) << "a family of its own";
    EXPECT_TRUE(lines[4].ends_with(",low-dispersion"));
    // The standard rows are the standard study's, cell for cell.
    for (int k = 1; k <= 2; ++k)
        EXPECT_NE(standard.find(lines[k].substr(0, lines[k].rfind(',')) + '\n'),
                  std::string::npos);
    EXPECT_TRUE(StudyResonanceCsv(StudyResonances(1, ladder, 1, both)).starts_with(
        "index,kx,ky,divx,divy,h,alpha,alpha_continuum,error,order,scheme\n"));
}

// The low-dispersion scheme's phase error written afresh: cos(k h) = (12 - 5 t^2) / (12 + t^2).
double LowDispersionPhaseError(double t)
{
    return std::fabs(std::acos((12.0 - 5.0 * t * t) / (12.0 + t * t)) / t - 1.0);
}

// The note of a coarse mesh follows the scheme in use: the mesh that brings the low-dispersion
// scheme's phase error under 1% is the coarsest that does by its own relation, and the standard
// scheme's note tells what the other scheme gives on the same mesh.
TEST(LowDispersion, TheAccuracyNoteIsTheSchemes)
{
    const Dispersion d = DispersionOf({45, 15}, 5.0, Scheme::LowDispersion);
    EXPECT_NEAR(d.phaseError, LowDispersionPhaseError(5.0 / 3.0), 1e-12);
    ASSERT_GT(d.phaseError, 0.01);
    EXPECT_LT(LowDispersionPhaseError(5.0 * 15.0 / d.fineEnough.divX), 0.01);
    EXPECT_GE(LowDispersionPhaseError(5.0 * 15.0 / (d.fineEnough.divX - 1)), 0.01);
    char fine[64];
    std::snprintf(fine, sizeof fine, "a %d x %d mesh brings that under 1%%", d.fineEnough.divX,
                  d.fineEnough.divY);
    EXPECT_EQ(*AccuracyNote({45, 15}, 5.0, Scheme::LowDispersion),
              "note: 3.77 points per wavelength on the 45 x 15 mesh at alpha 5 with the "
              "low-dispersion scheme: the discrete wave's phase is off by 1.9% a wavelength; " +
                  std::string(fine));
    // At the dialog's default the scheme is under 1% already; the standard note says so too.
    EXPECT_TRUE(AccuracyNote({90, 30}, 5.0, Scheme::LowDispersion)
                    ->ends_with("phase is off by 0.1% a wavelength; that is under 1% already"));
    char other[64];
    std::snprintf(other, sizeof other, "%.2g%%", 100 * LowDispersionPhaseError(5.0 / 6.0));
    EXPECT_TRUE(AccuracyNote({90, 30}, 5.0)->ends_with(
        "; the low-dispersion scheme's is off by " + std::string(other) + " on this mesh"));
    EXPECT_NE(AccuracyNote({15, 5}, 5.0, Scheme::LowDispersion)->find("no discrete wave"),
              std::string::npos);
}

}  // namespace
