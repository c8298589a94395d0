// The convergence study: solutions and resonances on a ladder of meshes against the continuum.
#include "command/Study.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "present/ReportText.h"
#include "solver/Resonance.h"
#include "solver/SeparableModes.h"
#include "solver/SizedRecord.h"
#include "solver/WorkThreads.h"

namespace {

// Gauss-Legendre points per element. Along x the error is the difference of a bilinear
// function and a sine of wave number alpha; the 10-point rule integrates polynomials of degree
// 19 exactly, so its error for the sine over an element of size h is of the order
// (alpha h / 2)^20 / 20!, below 1e-10 of the integral for alpha h up to 5 (the default ladder's
// coarsest mesh at the dialog's alpha). Along y neither function varies but for rounding: the
// squared error is a quadratic, which 2 points integrate exactly.
constexpr int kGaussX = 10;
constexpr int kGaussY = 2;

// Points and weights of the n-point Gauss-Legendre rule on [-1, 1], by Newton's method on the
// Legendre polynomial.
void GaussLegendre(int n, std::vector<double>& points, std::vector<double>& weights)
{
    points.assign(n, 0.0);
    weights.assign(n, 0.0);
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
        points[i] = x;
        weights[i] = 2.0 / ((1.0 - x * x) * dp * dp);
    }
}

// The continuum's solution with the option off and its derivative along x.
struct Continuum {
    double alpha;
    double w(double x) const { return std::sin(alpha * (15.0 - x)) / std::sin(15.0 * alpha); }
    double dw(double x) const
    {
        return -alpha * std::cos(alpha * (15.0 - x)) / std::sin(15.0 * alpha);
    }
};

SolutionErrors Errors(const SizedRecord& r, const Continuum& exact, const StudyMesh& mesh)
{
    std::vector<double> gx, wx, gy, wy;
    GaussLegendre(kGaussX, gx, wx);
    GaussLegendre(kGaussY, gy, wy);
    const double dx = 15.0 / mesh.divX, dy = 5.0 / mesh.divY;
    const int rows = mesh.divY + 1;
    double maxNodal = 0.0, l2 = 0.0, h1 = 0.0;
    for (int i = 0; i <= mesh.divX; ++i)
        for (int j = 0; j <= mesh.divY; ++j)
            maxNodal = std::max(maxNodal, std::fabs(r.m_W[i * rows + j + 1] - exact.w(i * dx)));
    for (int i = 0; i < mesh.divX; ++i)
        for (int j = 0; j < mesh.divY; ++j) {
            // Corners: (i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1).
            const double a = r.m_W[i * rows + j + 1], b = r.m_W[(i + 1) * rows + j + 1];
            const double c = r.m_W[(i + 1) * rows + j + 2], d = r.m_W[i * rows + j + 2];
            for (int p = 0; p < kGaussX; ++p)
                for (int q = 0; q < kGaussY; ++q) {
                    const double s = 0.5 * (gx[p] + 1.0), t = 0.5 * (gy[q] + 1.0);
                    const double weight = wx[p] * wy[q] * 0.25 * dx * dy;
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
    return {mesh, MeshSize(mesh), 0.0, maxNodal, std::sqrt(l2), std::sqrt(h1), NAN, NAN, NAN};
}

// The continuum's resonances by increasing alpha, with their half-waves.
struct ContinuumMode {
    double alpha;
    std::int32_t kx, ky;
};

std::vector<ContinuumMode> LowestContinuumModes(std::int32_t n)
{
    std::vector<ContinuumMode> modes;
    // Every mode below the n-th lies within n half-waves along x and along y.
    for (std::int32_t kx = 1; kx <= n; ++kx)
        for (std::int32_t ky = 0; ky <= n; ++ky)
            modes.push_back({std::numbers::pi * std::hypot(kx / 15.0, ky / 5.0), kx, ky});
    std::sort(modes.begin(), modes.end(), [](const ContinuumMode& a, const ContinuumMode& b) {
        return a.alpha != b.alpha ? a.alpha < b.alpha : a.kx != b.kx ? a.kx < b.kx : a.ky < b.ky;
    });
    modes.resize(static_cast<std::size_t>(n));
    return modes;
}

}  // namespace

std::vector<StudyMesh> DefaultLadder()
{
    std::string error;
    return *ReadLadder(kDefaultLadderText, error);
}

std::optional<std::int32_t> ReadStudyResonanceCount(std::string_view text)
{
    const std::optional<long long> n = ReadWholeNumber(text);
    if (!n || *n < 1 || *n > kMostStudyResonances)
        return std::nullopt;
    return static_cast<std::int32_t>(*n);
}

std::string StudyResonanceCountRefusal(std::string_view text)
{
    return "takes a whole number from 1 to " + std::to_string(kMostStudyResonances) + ", not " +
           QuotedText(text);
}

std::optional<std::vector<StudyMesh>> ReadLadder(std::string_view text, std::string& error)
{
    std::vector<StudyMesh> ladder;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        const std::size_t x = item.find('x');
        long long divX = 0, divY = 0;
        const auto whole = [](std::string_view digits, long long& n) {
            if (digits.empty() || digits.size() > 9)
                return false;
            n = 0;
            for (char c : digits) {
                if (c < '0' || c > '9')
                    return false;
                n = n * 10 + (c - '0');
            }
            return n >= 1;
        };
        if (x == std::string_view::npos || !whole(item.substr(0, x), divX) ||
            !whole(item.substr(x + 1), divY)) {
            error = "a mesh of the ladder is DIVXxDIVY, both at least 1, not '" +
                    std::string(item) + "'";
            return std::nullopt;
        }
        if (!ladder.empty() && (divX <= ladder.back().divX || divY <= ladder.back().divY)) {
            error = "each mesh of the ladder must be finer than the one before in both "
                    "directions, not '" + std::string(item) + "'";
            return std::nullopt;
        }
        ladder.push_back({static_cast<std::int32_t>(divX), static_cast<std::int32_t>(divY)});
        start = comma + 1;
    }
    if (ladder.size() < 2) {
        error = "the ladder needs two meshes at least, to show an order";
        return std::nullopt;
    }
    return ladder;
}

double MeshSize(const StudyMesh& mesh)
{
    return std::max(15.0 / mesh.divX, 5.0 / mesh.divY);
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

bool NearContinuumResonance(double alpha)
{
    const double k = std::round(15.0 * alpha / std::numbers::pi);
    return k != 0.0 && std::fabs(alpha - k * std::numbers::pi / 15.0) <= 1e-6 * std::fabs(alpha);
}

std::string ContinuumResonanceRefusal(double alpha)
{
    return "alpha " + Shortest(alpha) + " lies within 1e-6 of a resonance of the continuum, where "
           "sin(15 alpha) = 0: there is no continuum solution to compare with";
}

std::vector<SolutionErrors> StudySolution(double alpha, const std::vector<StudyMesh>& ladder)
{
    const Continuum exact{alpha};
    std::vector<SolutionErrors> rows;
    for (const StudyMesh& mesh : ladder) {
        const auto record = std::make_unique<SizedRecord>(mesh.divX, mesh.divY);
        record->m_dAlpha = alpha;
        record->m_bOption = 0;
        SolveRecord(*record);
        SolutionErrors e = Errors(*record, exact, mesh);
        e.pointsPerWavelength = PointsPerWavelength(mesh, alpha);
        if (!rows.empty()) {
            const SolutionErrors& p = rows.back();
            e.orderMaxNodal = ObservedOrder(p.maxNodal, p.h, e.maxNodal, e.h);
            e.orderL2 = ObservedOrder(p.l2, p.h, e.l2, e.h);
            e.orderH1 = ObservedOrder(p.h1, p.h, e.h1, e.h);
        }
        rows.push_back(e);
    }
    return rows;
}

std::vector<ResonanceErrors> StudyResonances(std::int32_t n, const std::vector<StudyMesh>& ladder,
                                             int threads)
{
    const std::vector<ContinuumMode> modes = LowestContinuumModes(n);
    std::vector<ResonanceErrors> rows;
    for (std::size_t k = 0; k < modes.size(); ++k)
        for (const StudyMesh& mesh : ladder)
            if (modes[k].kx < mesh.divX && modes[k].ky <= mesh.divY) {
                const double alpha =
                    SeparableResonance(mesh.divX, mesh.divY, modes[k].kx, modes[k].ky);
                const double error = std::fabs(alpha - modes[k].alpha);
                const bool follows = !rows.empty() && rows.back().index == static_cast<int>(k + 1);
                const double order = follows ? ObservedOrder(rows.back().error, rows.back().h,
                                                             error, MeshSize(mesh))
                                             : NAN;
                rows.push_back({static_cast<std::int32_t>(k + 1), modes[k].kx, modes[k].ky,
                                modes[k].alpha, mesh, MeshSize(mesh), alpha, error, order, false});
            }
    // The solver's own inertia: a resonance lies within 1e-9 of each closed form.
    for (const StudyMesh& mesh : ladder) {
        std::vector<ResonanceErrors*> ofMesh;
        for (ResonanceErrors& r : rows)
            if (r.mesh.divX == mesh.divX && r.mesh.divY == mesh.divY)
                ofMesh.push_back(&r);
        OnThreads(threads, ofMesh.size(), [&](int t) {
            ResonanceCounter counter(mesh.divX, mesh.divY);
            for (std::size_t i = t; i < ofMesh.size(); i += threads) {
                ResonanceErrors& r = *ofMesh[i];
                r.counted = counter.CountBelow(r.alpha * (1.0 + 1e-9)).below >
                            counter.CountBelow(r.alpha * (1.0 - 1e-9)).below;
            }
        });
    }
    return rows;
}

namespace {

// |k h / (alpha h) - 1| for t = alpha h; infinite where no discrete wave propagates.
double PhaseError(double t)
{
    const double c = (6.0 - 2.0 * t * t) / (6.0 + t * t);
    return c < -1.0 ? HUGE_VAL : std::fabs(std::acos(c) / t - 1.0);
}

}  // namespace

Dispersion DispersionOf(const StudyMesh& mesh, double alpha)
{
    const double a = std::fabs(alpha), h = MeshSize(mesh);
    // The error grows with alpha h: bisect for the largest alpha h that keeps it under 1%.
    double lo = 1e-6, hi = std::sqrt(12.0);
    for (int k = 0; k < 100; ++k) {
        const double mid = 0.5 * (lo + hi);
        (PhaseError(mid) < 0.01 ? lo : hi) = mid;
    }
    const double fine = lo / a;  // the largest element that keeps the error under 1%
    const auto divisions = [&](double length) {
        return static_cast<std::int32_t>(std::min(std::ceil(length / fine), 2e9));
    };
    return {PointsPerWavelength(mesh, alpha), PhaseError(a * h),
            {std::max(mesh.divX, divisions(15.0)), std::max(mesh.divY, divisions(5.0))}};
}

std::optional<std::string> AccuracyNote(const StudyMesh& mesh, double alpha)
{
    if (!std::isfinite(alpha) || alpha == 0.0)
        return std::nullopt;
    const Dispersion d = DispersionOf(mesh, alpha);
    if (d.pointsPerWavelength >= kFewPointsPerWavelength)
        return std::nullopt;
    char error[96] = "no discrete wave propagates at all";
    if (std::isfinite(d.phaseError))
        std::snprintf(error, sizeof error, "the discrete wave's phase is off by %.2g%% a wavelength",
                      100.0 * d.phaseError);
    char fine[96] = "no mesh a record can number brings that under 1%";
    if (SizedRecordBytes(d.fineEnough.divX, d.fineEnough.divY))
        std::snprintf(fine, sizeof fine, "a %d x %d mesh brings that under 1%%", d.fineEnough.divX,
                      d.fineEnough.divY);
    char text[320];
    std::snprintf(text, sizeof text,
                  "note: %.3g points per wavelength on the %d x %d mesh at alpha %.6g: %s; %s",
                  d.pointsPerWavelength, mesh.divX, mesh.divY, alpha, error, fine);
    return std::string(text);
}

namespace {

// An order, or nothing where there is none.
std::string Order(double order)
{
    return std::isnan(order) ? std::string() : Shortest(order);
}

}  // namespace

std::string StudySolutionCsv(const std::vector<SolutionErrors>& rows)
{
    std::string csv = "divx,divy,h,points_per_wavelength,max_nodal_error,l2_error,h1_error,"
                      "order_max_nodal,order_l2,order_h1\n";
    for (const SolutionErrors& e : rows)
        csv += std::to_string(e.mesh.divX) + ',' + std::to_string(e.mesh.divY) + ',' +
               Shortest(e.h) + ',' + Shortest(e.pointsPerWavelength) + ',' +
               Shortest(e.maxNodal) + ',' + Shortest(e.l2) + ',' + Shortest(e.h1) + ',' +
               Order(e.orderMaxNodal) + ',' + Order(e.orderL2) + ',' + Order(e.orderH1) + '\n';
    return csv;
}

std::string StudyResonanceCsv(const std::vector<ResonanceErrors>& rows)
{
    std::string csv = "index,kx,ky,divx,divy,h,alpha,alpha_continuum,error,order\n";
    for (const ResonanceErrors& r : rows)
        csv += std::to_string(r.index) + ',' + std::to_string(r.kx) + ',' +
               std::to_string(r.ky) + ',' + std::to_string(r.mesh.divX) + ',' +
               std::to_string(r.mesh.divY) + ',' + Shortest(r.h) + ',' + Shortest(r.alpha) +
               ',' + Shortest(r.continuum) + ',' + Shortest(r.error) + ',' + Order(r.order) +
               '\n';
    return csv;
}
