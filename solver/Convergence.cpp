// The numerics of the convergence study.
#include "solver/Convergence.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "solver/MembraneModel.h"

namespace {

constexpr double kLenX = MembraneModel::kLenX;
constexpr double kLenY = MembraneModel::kLenY;

// Gauss-Legendre points per element. Along x the error is the difference of a bilinear
// function and a sine of wave number alpha; the 10-point rule integrates polynomials of degree
// 19 exactly, so its error for the sine over an element of size h is of the order
// (alpha h / 2)^20 / 20!, below 1e-10 of the integral for alpha h up to 5 (the default ladder's
// coarsest mesh at the dialog's alpha). Along y neither function varies but for rounding: the
// squared error is a quadratic, which 2 points integrate exactly.
constexpr int kGaussX = 10;
constexpr int kGaussY = 2;

}  // namespace

double MeshSize(const StudyMesh& mesh)
{
    return std::max(kLenX / mesh.divX, kLenY / mesh.divY);
}

double PointsPerWavelength(const StudyMesh& mesh, double alpha)
{
    return 2.0 * std::numbers::pi / (std::fabs(alpha) * MeshSize(mesh));
}

double ObservedOrder(double e0, double h0, double e1, double h1)
{
    if (!(e0 > 0.0 && e1 > 0.0))
        return NAN;
    return std::log(e0 / e1) / std::log(h0 / h1);
}

void ConvergenceTable::Add(int series, double h, std::vector<double> errors)
{
    const std::size_t columns = errors.size();
    m_rows.push_back({series, h, std::move(errors), std::vector<double>(columns, NAN)});
}

void ConvergenceTable::EvaluateOrders()
{
    for (std::size_t k = 1; k < m_rows.size(); ++k) {
        const Row& before = m_rows[k - 1];
        Row& row = m_rows[k];
        if (before.series != row.series)
            continue;
        for (std::size_t c = 0; c < row.errors.size(); ++c)
            row.orders[c] = ObservedOrder(before.errors[c], before.h, row.errors[c], row.h);
    }
}

GaussRule GaussLegendre(int n)
{
    // Newton's method on the Legendre polynomial, from Tricomi's estimate of each root.
    GaussRule rule{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    for (int i = 0; i < n; ++i) {
        double x = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
        double dp = 0.0;
        for (int iteration = 0; iteration < 100; ++iteration) {
            double p0 = 1.0, p1 = x;
            for (int k = 2; k <= n; ++k) {
                const double p2 = ((2.0 * k - 1.0) * x * p1 - (k - 1.0) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            dp = n * (x * p1 - p0) / (x * x - 1.0);
            const double step = p1 / dp;
            x -= step;
            if (std::fabs(step) < 1e-16)
                break;
        }
        rule.points[i] = x;
        rule.weights[i] = 2.0 / ((1.0 - x * x) * dp * dp);
    }
    return rule;
}

namespace {

// Below this |alpha| the solution is its limit at alpha = 0, the straight line (15 - x) / 15,
// to the last bit: the ratio of sines differs from it by about (15 alpha)^2 / 6, and the sines
// themselves vanish or underflow at alpha = 0.
constexpr double kStaticAlpha = 1e-9;

}  // namespace

double ContinuumSolution::w(double x) const
{
    if (std::fabs(alpha) < kStaticAlpha)
        return (kLenX - x) / kLenX;
    return std::sin(alpha * (kLenX - x)) / std::sin(kLenX * alpha);
}

double ContinuumSolution::dw(double x) const
{
    if (std::fabs(alpha) < kStaticAlpha)
        return -1.0 / kLenX;
    return -alpha * std::cos(alpha * (kLenX - x)) / std::sin(kLenX * alpha);
}

double ContinuumResonance(std::int32_t kx, std::int32_t ky)
{
    return std::numbers::pi * std::hypot(kx / kLenX, ky / kLenY);
}

std::vector<ContinuumMode> LowestContinuumModes(std::int32_t n)
{
    std::vector<ContinuumMode> modes;
    // Every mode below the n-th lies within n half-waves along x and along y.
    for (std::int32_t kx = 1; kx <= n; ++kx)
        for (std::int32_t ky = 0; ky <= n; ++ky)
            modes.push_back({ContinuumResonance(kx, ky), kx, ky});
    std::sort(modes.begin(), modes.end(), [](const ContinuumMode& a, const ContinuumMode& b) {
        return a.alpha != b.alpha ? a.alpha < b.alpha : a.kx != b.kx ? a.kx < b.kx : a.ky < b.ky;
    });
    modes.resize(static_cast<std::size_t>(n));
    return modes;
}

FieldErrors ErrorsAgainstContinuum(const StudyMesh& mesh, const double* w,
                                   const ContinuumSolution& exact)
{
    const GaussRule gx = GaussLegendre(kGaussX), gy = GaussLegendre(kGaussY);
    const double dx = kLenX / mesh.divX, dy = kLenY / mesh.divY;
    const int rows = mesh.divY + 1;
    double maxNodal = 0.0, l2 = 0.0, h1 = 0.0;
    for (int i = 0; i <= mesh.divX; ++i)
        for (int j = 0; j <= mesh.divY; ++j) {
            // A value that is not finite makes the largest error NaN, never hides behind 0.
            const double e = std::fabs(w[i * rows + j + 1] - exact.w(i * dx));
            if (!(e <= maxNodal))
                maxNodal = e;
        }
    for (int i = 0; i < mesh.divX; ++i)
        for (int j = 0; j < mesh.divY; ++j) {
            // Corners: (i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1).
            const double a = w[i * rows + j + 1], b = w[(i + 1) * rows + j + 1];
            const double c = w[(i + 1) * rows + j + 2], d = w[i * rows + j + 2];
            for (int p = 0; p < kGaussX; ++p)
                for (int q = 0; q < kGaussY; ++q) {
                    const double s = 0.5 * (gx.points[p] + 1.0), t = 0.5 * (gy.points[q] + 1.0);
                    const double weight = gx.weights[p] * gy.weights[q] * 0.25 * dx * dy;
                    const double x = (i + s) * dx;
                    const double wh = a * (1 - s) * (1 - t) + b * s * (1 - t) + c * s * t +
                                      d * (1 - s) * t;
                    const double whx = ((b - a) * (1 - t) + (c - d) * t) / dx;
                    const double why = ((d - a) * (1 - s) + (c - b) * s) / dy;
                    const double e = wh - exact.w(x), ex = whx - exact.dw(x);
                    l2 += weight * e * e;
                    h1 += weight * (ex * ex + why * why);
                }
        }
    return {maxNodal, std::sqrt(l2), std::sqrt(h1)};
}

double PhaseError(double t, Scheme scheme)
{
    const double c = scheme == Scheme::LowDispersion ? (12.0 - 5.0 * t * t) / (12.0 + t * t)
                                                     : (6.0 - 2.0 * t * t) / (6.0 + t * t);
    return c < -1.0 ? HUGE_VAL : std::fabs(std::acos(c) / t - 1.0);
}

double LargestResolvedStep(double tolerance, Scheme scheme)
{
    // The error grows with alpha h: bisect for the largest alpha h that keeps it under.
    double lo = 1e-6, hi = std::sqrt(12.0);
    for (int k = 0; k < 100; ++k) {
        const double mid = 0.5 * (lo + hi);
        (PhaseError(mid, scheme) < tolerance ? lo : hi) = mid;
    }
    return lo;
}
