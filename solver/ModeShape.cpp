// Mode shapes by subspace inverse iteration, cluster by cluster on the threads, then signed,
// labelled and turned towards the load.
#include "solver/ModeShape.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <numeric>

#include "solver/SubspaceIteration.h"
#include "solver/WorkThreads.h"

namespace {

// Sign changes along a line of values, those within `zero` of 0 skipped.
std::int32_t SignChanges(const std::vector<double>& line, double zero)
{
    std::int32_t changes = 0;
    int last = 0;
    for (double v : line) {
        const int sign = v > zero ? 1 : v < -zero ? -1 : 0;
        if (sign != 0 && last != 0 && sign != last)
            ++changes;
        if (sign != 0)
            last = sign;
    }
    return changes;
}

// Signs the shape and counts its half-waves through its node of largest magnitude.
void Label(const MeshOperator& mesh, ModeShape& shape)
{
    const int at = LargestNode(shape.phi);
    if (shape.phi[at] < 0.0)
        for (double& v : shape.phi)
            v = 0.0 - v;  // the fixed nodes stay +0
    const int rows = mesh.DivY() + 1;
    const int i0 = (at - 1) / rows, j0 = (at - 1) % rows;
    const double zero = 1e-9 * std::fabs(shape.phi[at]);
    std::vector<double> alongX, alongY;
    for (int i = 0; i <= mesh.DivX(); ++i)
        alongX.push_back(shape.phi[mesh.Node(i, j0)]);
    for (int j = 0; j <= mesh.DivY(); ++j)
        alongY.push_back(shape.phi[mesh.Node(i0, j)]);
    shape.kx = 1 + SignChanges(alongX, zero);
    shape.ky = SignChanges(alongY, zero);
}

// The shapes of one cluster, resonances lo, lo + 1, ... with their alphas, found by inverse
// iteration.
std::vector<ModeShape> ClusterShapes(const MeshOperator& mesh, ShiftedFactor& factor,
                                     std::int32_t lo, const std::vector<double>& alphas)
{
    return ClusterOfShapes(mesh, lo, alphas, SettleCluster(mesh, factor, lo, alphas));
}

// The alphas of the resonances lo..hi, lo and hi moved outwards until no cluster is cut.
std::vector<double> WholeClusters(const ResonanceSearch& search, std::int32_t& lo,
                                  std::int32_t& hi)
{
    std::vector<double> alphas = FindResonances(search, lo, hi);
    ResonanceCounter counter(search.divX, search.divY, search.scheme);
    const std::int32_t count = ResonanceCount(search.divX, search.divY);
    for (bool widened = true; widened;) {
        widened = false;
        const std::int32_t below =
            counter.CountBelow(alphas.front() * (1.0 - kClusterTolerance)).below + 1;
        if (below < lo) {
            std::vector<double> more = FindResonances(search, below, lo - 1);
            alphas.insert(alphas.begin(), more.begin(), more.end());
            lo = below;
            widened = true;
        }
        const std::int32_t above =
            std::min(count, counter.CountBelow(alphas.back() * (1.0 + kClusterTolerance)).below);
        if (above > hi) {
            std::vector<double> more = FindResonances(search, hi + 1, above);
            alphas.insert(alphas.end(), more.begin(), more.end());
            hi = above;
            widened = true;
        }
    }
    return alphas;
}

}  // namespace

double ContinuumAlpha(std::int32_t kx, std::int32_t ky)
{
    const double x = kx / MembraneModel::kLenX, y = ky / MembraneModel::kLenY;
    return std::numbers::pi * std::sqrt(x * x + y * y);
}

double Participation(const MeshOperator& mesh, const NodeVector& phi, double alpha)
{
    NodeVector g;
    mesh.Apply(1.0, -(alpha * alpha), mesh.Load(), g);
    mesh.ZeroFixed(g);
    return MeshOperator::Dot(phi, g);
}

void TurnTowardsTheLoad(const MeshOperator& mesh, std::vector<NodeVector>& phi, double alpha)
{
    const std::size_t m = phi.size();
    if (m < 2)
        return;
    std::vector<double> p(m);
    double norm = 0.0;
    for (std::size_t i = 0; i < m; ++i) {
        p[i] = Participation(mesh, phi[i], alpha);
        norm += p[i] * p[i];
    }
    norm = std::sqrt(norm);
    if (norm == 0.0)
        return;
    // H = I - 2 v v^T / v^T v with v = p + sign(p0) |p| e0 maps p to -sign(p0) |p| e0.
    std::vector<double> v = p;
    v[0] += std::copysign(norm, p[0]);
    const double vv = std::inner_product(v.begin(), v.end(), v.begin(), 0.0);
    std::vector<NodeVector> turned(m, NodeVector(phi[0].size(), 0.0));
    for (std::size_t c = 0; c < m; ++c)
        for (std::size_t k = 0; k < m; ++k) {
            const double h = (k == c ? 1.0 : 0.0) - 2.0 * v[k] * v[c] / vv;
            for (std::size_t n = 1; n < phi[k].size(); ++n)
                turned[c][n] += h * phi[k][n];
        }
    phi = std::move(turned);
}

std::vector<ModeShape> ClusterOfShapes(const MeshOperator& mesh, std::int32_t lo,
                                       const std::vector<double>& alphas,
                                       std::vector<NodeVector> phi)
{
    TurnTowardsTheLoad(mesh, phi, alphas.front());
    const std::size_t m = alphas.size();
    std::vector<ModeShape> shapes(m);
    for (std::size_t i = 0; i < m; ++i) {
        ModeShape& s = shapes[i];
        s.index = lo + static_cast<std::int32_t>(i);
        s.alpha = alphas[i];
        s.phi = std::move(phi[i]);
        Label(mesh, s);
        // Within a cluster every member's participation is taken at the cluster's first alpha,
        // so that those turned away from the load show exactly none.
        s.participation = Participation(mesh, s.phi, m > 1 ? alphas.front() : alphas[i]);
    }
    return shapes;
}

int LargestNode(const NodeVector& phi)
{
    int at = 1;
    for (std::size_t n = 2; n < phi.size(); ++n)
        if (std::fabs(phi[n]) > std::fabs(phi[at]))
            at = static_cast<int>(n);
    return at;
}

std::vector<ModeShape> FindShapes(const ResonanceSearch& search, bool option, std::int32_t first,
                                  std::int32_t last)
{
    // 1. The alphas, widened at both ends to whole clusters.
    std::int32_t lo = first, hi = last;
    const std::vector<double> alphas = WholeClusters(search, lo, hi);

    // 2. The clusters: neighbours within the tolerance of each other.
    const std::vector<std::pair<std::size_t, std::size_t>> clusters = Clusters(alphas);

    // 3. Their shapes, cluster by cluster on the threads, each with factors of its own.
    std::vector<std::vector<ModeShape>> found(clusters.size());
    std::atomic<std::size_t> next{0};
    const MeshOperator mesh(search.divX, search.divY, option, search.scheme);
    OnThreads(search.threads, clusters.size(), [&](int) {
        ShiftedFactor factor(search.divX, search.divY, search.scheme);
        for (std::size_t c; (c = next++) < clusters.size();) {
            const auto [begin, end] = clusters[c];
            found[c] = ClusterShapes(mesh, factor, lo + static_cast<std::int32_t>(begin),
                                     std::vector<double>(alphas.begin() + begin,
                                                         alphas.begin() + end));
        }
    });

    std::vector<ModeShape> shapes;
    for (std::vector<ModeShape>& cluster : found)
        for (ModeShape& s : cluster)
            if (s.index >= first && s.index <= last)
                shapes.push_back(std::move(s));
    return shapes;
}
