// The separable spectrum of the grid, its shapes, the agreement of its counts with the
// inertia's, and the participations settled from it.
#include "solver/SeparableModes.h"

#include <algorithm>
#include <queue>
#include <atomic>
#include <cmath>
#include <numbers>
#include <optional>

#include "solver/ModeShape.h"
#include "solver/SubspaceIteration.h"
#include "solver/WorkThreads.h"

namespace {

// A resonance in separable form: p half-waves along x, q along y, at lambda = alpha^2.
struct SeparableMode {
    double lambda;
    std::int32_t p, q;
};

// sin and cos of pi k / n, k taken modulo 2 n first so that the angle keeps its digits.
double SinPi(std::int64_t k, std::int64_t n)
{
    return std::sin(std::numbers::pi * static_cast<double>(k % (2 * n)) / static_cast<double>(n));
}
double CosPi(std::int64_t k, std::int64_t n)
{
    return std::cos(std::numbers::pi * static_cast<double>(k % (2 * n)) / static_cast<double>(n));
}

// The eigenvalue of a line of linear elements of length h for the sampled sine or cosine of
// pi k / n per element, (1 - cos) / (h^2 (a + b cos)) for the line mass h [a b; b a]: with the
// standard scheme 6 / h^2 (1 - cos) / (2 + cos), with the low-dispersion one
// 12 / h^2 (1 - cos) / (5 + cos); 1 - cos as 2 sin^2 of the half angle so that the lowest keep
// their digits.
double LineEigenvalue(double h, std::int64_t k, std::int64_t n, Scheme scheme)
{
    const double s = SinPi(k, 2 * n);
    if (scheme == Scheme::LowDispersion)
        return 12.0 / (h * h) * (2.0 * s * s) / (5.0 + CosPi(k, n));
    return 6.0 / (h * h) * (2.0 * s * s) / (2.0 + CosPi(k, n));
}

// Every resonance of the mesh, by increasing lambda. Fixed at both ends, the line along x has
// the sampled sines sin(p pi i / divX), p = 1..divX - 1, for eigenvectors; free at both ends,
// the line along y the sampled cosines cos(q pi j / divY), q = 0..divY.
std::vector<SeparableMode> SeparableSpectrum(const MeshOperator& mesh)
{
    const double dx = MembraneModel::kLenX / mesh.DivX(), dy = MembraneModel::kLenY / mesh.DivY();
    std::vector<SeparableMode> modes;
    for (std::int32_t p = 1; p < mesh.DivX(); ++p)
        for (std::int32_t q = 0; q <= mesh.DivY(); ++q)
            modes.push_back({LineEigenvalue(dx, p, mesh.DivX(), mesh.ElementScheme()) +
                                 LineEigenvalue(dy, q, mesh.DivY(), mesh.ElementScheme()),
                             p, q});
    std::sort(modes.begin(), modes.end(), [](const SeparableMode& a, const SeparableMode& b) {
        return a.lambda != b.lambda ? a.lambda < b.lambda : a.p != b.p ? a.p < b.p : a.q < b.q;
    });
    return modes;
}

// The M-normalised shape of a separable mode, 0 on the fixed edges, with M times it.
NodeVector SeparableShape(const MeshOperator& mesh, const SeparableMode& mode, NodeVector& mphi)
{
    std::vector<double> alongY(mesh.DivY() + 1);
    for (int j = 0; j <= mesh.DivY(); ++j)
        alongY[j] = CosPi(static_cast<std::int64_t>(mode.q) * j, mesh.DivY());
    NodeVector phi(mesh.Nodes() + 1, 0.0);
    for (int i = 0; i <= mesh.DivX(); ++i) {
        const double x = SinPi(static_cast<std::int64_t>(mode.p) * i, mesh.DivX());
        for (int j = 0; j <= mesh.DivY(); ++j)
            phi[mesh.Node(i, j)] = x * alongY[j];
    }
    mesh.ZeroFixed(phi);
    mesh.Apply(0.0, 1.0, phi, mphi);
    const double norm = std::sqrt(MeshOperator::Dot(phi, mphi));
    for (std::size_t n = 1; n < phi.size(); ++n) {
        phi[n] /= norm;
        mphi[n] /= norm;
    }
    return phi;
}

// Whether the separable spectrum counts what the solver's inertia counted: below each slice's
// alpha lie as many lambdas as it counted resonances. A slice within rounding of a lambda
// decides nothing and is passed over.
bool CountsAgree(const std::vector<SeparableMode>& modes,
                 const std::vector<ResonanceCounter::Slice>& known)
{
    const auto below = [&](double lambda) {
        return std::lower_bound(modes.begin(), modes.end(), lambda,
                                [](const SeparableMode& m, double l) { return m.lambda < l; }) -
               modes.begin();
    };
    for (const ResonanceCounter::Slice& s : known) {
        const double lambda = s.alpha * s.alpha;
        const auto count = below(lambda * (1.0 - 1e-10));
        if (count == below(lambda * (1.0 + 1e-10)) && count != s.below)
            return false;
    }
    return true;
}

// The resonances begin..end - 1 of the closed form, one or a cluster: their closed-form shapes,
// each checked against the assembled operators, start one step of inverse iteration, factored
// at the Rayleigh quotient of one alone or just below a cluster, and Rayleigh-Ritz in the block;
// the step takes them to the assembled pencil's own eigenvectors to rounding. Their
// participations by FindShapes' rules (turned, signed); nothing when a check fails.
std::optional<std::vector<double>> SettleSeparable(const MeshOperator& mesh,
                                                   ShiftedFactor& factor,
                                                   const std::vector<SeparableMode>& modes,
                                                   std::size_t begin, std::size_t end)
{
    Block block;
    double quotient = 0.0;  // phi^T K phi of the last, M-normalised
    for (std::size_t k = begin; k < end; ++k) {
        NodeVector mphi, kphi;
        block.y.push_back(SeparableShape(mesh, modes[k], mphi));
        mesh.Apply(1.0, 0.0, block.y.back(), kphi);
        if (RelativeResidual(mesh, block.y.back(), kphi, mphi, modes[k].lambda) > kStalled)
            return std::nullopt;
        quotient = MeshOperator::Dot(block.y.back(), kphi);
        block.my.push_back(std::move(mphi));
    }
    const double alpha = std::sqrt(modes[begin].lambda);
    factor.FactorNear(end - begin == 1 ? std::sqrt(quotient) : alpha * (1.0 - kShift), 0.0);
    SolveBlock(mesh, factor, block);
    Orthonormalize(mesh, block, static_cast<std::uint64_t>(begin));
    const std::vector<double> values = RayleighRitz(mesh, block);
    for (std::size_t i = 0; i < values.size(); ++i)
        if (RelativeResidual(mesh, block.y[i], block.ky[i], block.my[i], values[i]) > kStalled)
            return std::nullopt;
    TurnTowardsTheLoad(mesh, block.y, alpha);
    std::vector<double> participation;
    for (const NodeVector& x : block.y) {
        const double p = Participation(mesh, x, alpha);
        participation.push_back(x[LargestNode(x)] < 0.0 ? 0.0 - p : p);
    }
    return participation;
}

// The clusters of the closed form's spectrum, as FindShapes forms them, that hold a number
// marked in `listed`, as [begin, end) positions.
std::vector<std::pair<std::size_t, std::size_t>> ListedClusters(
    const std::vector<SeparableMode>& modes, const std::vector<char>& listed)
{
    std::vector<double> alphas;
    for (const SeparableMode& mode : modes)
        alphas.push_back(std::sqrt(mode.lambda));
    std::vector<std::pair<std::size_t, std::size_t>> clusters;
    for (const auto& [begin, end] : Clusters(alphas))
        if (std::find(listed.begin() + begin + 1, listed.begin() + end + 1, 1) !=
            listed.begin() + end + 1)
            clusters.push_back({begin, end});
    return clusters;
}

}  // namespace

std::vector<double> FindParticipations(const ResonanceSearch& search, bool option,
                                       const std::vector<std::int32_t>& numbers)
{
    if (numbers.empty())
        return {};
    const MeshOperator mesh(search.divX, search.divY, option, search.scheme);
    const std::vector<SeparableMode> modes = SeparableSpectrum(mesh);
    std::vector<char> listed(modes.size() + 1, 0);  // by number
    for (std::int32_t k : numbers)
        listed[k] = 1;
    const std::vector<std::pair<std::size_t, std::size_t>> clusters =
        ListedClusters(modes, listed);

    // Their shapes on the threads, each with factors of its own.
    std::vector<double> participation(modes.size() + 1, 0.0);  // by number
    std::atomic<bool> separable = CountsAgree(modes, search.known);
    std::atomic<std::size_t> next{0};
    OnThreads(search.threads, clusters.size(), [&](int) {
        ShiftedFactor factor(search.divX, search.divY, search.scheme);
        for (std::size_t c; separable && (c = next++) < clusters.size();) {
            const auto [begin, end] = clusters[c];
            const auto settled = SettleSeparable(mesh, factor, modes, begin, end);
            if (!settled)
                separable = false;
            else
                std::copy(settled->begin(), settled->end(), participation.begin() + begin + 1);
        }
    });
    // Should any check fail, the shapes as FindShapes finds them.
    if (!separable) {
        const auto [first, last] = std::minmax_element(numbers.begin(), numbers.end());
        for (const ModeShape& s : FindShapes(search, option, *first, *last))
            participation[s.index] = s.participation;
    }

    std::vector<double> inOrder;
    for (std::int32_t k : numbers)
        inOrder.push_back(participation[k]);
    return inOrder;
}

double SeparableResonance(std::int32_t divX, std::int32_t divY, std::int32_t kx, std::int32_t ky,
                          Scheme scheme)
{
    return std::sqrt(LineEigenvalue(MembraneModel::kLenX / divX, kx, divX, scheme) +
                     LineEigenvalue(MembraneModel::kLenY / divY, ky, divY, scheme));
}

std::vector<ClosedFormMode> LowestSeparableModes(std::int32_t divX, std::int32_t divY,
                                                 Scheme scheme, std::int32_t n)
{
    // One candidate a column of sines: its next cosine. The lines' eigenvalues grow with the
    // number of half-waves, so the smallest candidate is the next mode.
    const double dx = MembraneModel::kLenX / divX, dy = MembraneModel::kLenY / divY;
    const auto later = [](const SeparableMode& a, const SeparableMode& b) {
        return a.lambda != b.lambda ? a.lambda > b.lambda : a.p != b.p ? a.p > b.p : a.q > b.q;
    };
    std::priority_queue<SeparableMode, std::vector<SeparableMode>, decltype(later)> next(later);
    const auto mode = [&](std::int32_t p, std::int32_t q) {
        return SeparableMode{
            LineEigenvalue(dx, p, divX, scheme) + LineEigenvalue(dy, q, divY, scheme), p, q};
    };
    for (std::int32_t p = 1; p < divX; ++p)
        next.push(mode(p, 0));
    std::vector<ClosedFormMode> modes;
    while (static_cast<std::int32_t>(modes.size()) < n && !next.empty()) {
        const SeparableMode m = next.top();
        next.pop();
        modes.push_back({SeparableResonance(divX, divY, m.p, m.q, scheme), m.p, m.q});
        if (m.q < divY)
            next.push(mode(m.p, m.q + 1));
    }
    return modes;
}

std::vector<ModeShape> SeparableShapes(const ResonanceSearch& search, bool option,
                                       std::int32_t first, std::int32_t last)
{
    const std::int32_t count = ResonanceCount(search.divX, search.divY);
    // The lowest modes up to the last and the whole of its cluster.
    std::int32_t enough = last;
    std::vector<ClosedFormMode> modes;
    for (;;) {
        modes = LowestSeparableModes(search.divX, search.divY, search.scheme,
                                     std::min(count, enough + 1));
        if (static_cast<std::int32_t>(modes.size()) <= enough ||
            modes[enough].alpha > modes[enough - 1].alpha * (1.0 + kClusterTolerance))
            break;
        enough = std::min(count, 2 * enough);
    }
    std::vector<double> alphas;
    for (const ClosedFormMode& m : modes)
        alphas.push_back(m.alpha);
    const MeshOperator mesh(search.divX, search.divY, option, search.scheme);
    std::vector<ModeShape> shapes;
    for (const auto& [begin, end] : Clusters(alphas)) {
        if (static_cast<std::int32_t>(end) < first || static_cast<std::int32_t>(begin) >= last)
            continue;
        std::vector<NodeVector> phi;
        for (std::size_t k = begin; k < end; ++k) {
            NodeVector mphi;
            phi.push_back(SeparableShape(
                mesh, {modes[k].alpha * modes[k].alpha, modes[k].kx, modes[k].ky}, mphi));
        }
        const std::vector<double> own(alphas.begin() + static_cast<std::ptrdiff_t>(begin),
                                      alphas.begin() + static_cast<std::ptrdiff_t>(end));
        for (ModeShape& shape : ClusterOfShapes(mesh, static_cast<std::int32_t>(begin) + 1, own,
                                                std::move(phi)))
            if (shape.index >= first && shape.index <= last)
                shapes.push_back(std::move(shape));
    }
    return shapes;
}
