// Mode shapes by subspace inverse iteration: the band elimination factors alpha^2 M - K at a
// shift just below a cluster of resonances, a block of vectors is solved against M times itself
// until it settles, and Rayleigh-Ritz in the block separates the cluster from its neighbours.
// For the many resonances of a sweep, the iteration starts from the shapes in closed form
// instead: on the regular grid they are products of the eigenvectors of a line of elements along
// x and along y, and one step takes each to the assembled pencil's own.
#include "solver/ModeShape.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>
#include <numeric>
#include <optional>
#include <thread>

#include "solver/BandElimination.h"
#include "solver/ElementCoefficients.h"

namespace {

using Vector = std::vector<double>;  // indexed by node number, [0] unused

constexpr int kMaxIterations = 40;
// A shape has settled when ||K phi - alpha^2 M phi|| <= kSettled ||K|| ||phi||, or when the
// residual, below kStalled, stops falling: rounding bounds what a pair of nearly equal alphas
// can reach.
constexpr double kSettled = 1e-13;
constexpr double kStalled = 1e-11;
// The shift's distance below the cluster, relative. Nearer, the factors of the nearly singular
// matrix (the elimination does not pivot) blur the solves of a cluster.
constexpr double kShift = 1e-6;

double Dot(const Vector& a, const Vector& b)
{
    double sum = 0.0;
    for (std::size_t n = 1; n < a.size(); ++n)
        sum += a[n] * b[n];
    return sum;
}

// The element's stiffness (k) and mass (m) terms, in the element loop's arithmetic, which
// assembles alpha^2 m - k: diagonal, neighbours along x and y, opposite corners.
struct ElementTerms {
    double kD, kX, kY, kO;
    double mD, mX, mY, mO;
};

// A record of the mesh with its counts and boundary table: the fixed nodes and their values,
// and the element terms.
struct Mesh {
    std::unique_ptr<MembraneModel> model = std::make_unique<MembraneModel>();
    std::vector<char> fixed;  // by node
    Vector load;              // u: the fixed nodes' values, 0 elsewhere
    std::size_t freeNodes = 0;
    ElementTerms terms{};
    double stiffnessNorm = 0.0;  // a bound of ||K||: its largest absolute row sum

    Mesh(std::int32_t divX, std::int32_t divY, bool option)
    {
        MembraneModel& m = *model;
        m.m_nDivX = divX;
        m.m_nDivY = divY;
        m.m_bOption = option ? 1 : 0;
        m.DeriveCounts();
        m.BuildBoundaryTable();
        fixed.assign(m.m_nNode + 1, 0);
        load.assign(m.m_nNode + 1, 0.0);
        for (int e = 1; e <= m.m_nBound; ++e) {
            if (m.m_bndKind[e] == BND_NATURAL)
                continue;
            fixed[m.m_bndNode[e]] = 1;
            load[m.m_bndNode[e]] = m.m_bndValue[e];
        }
        freeNodes = static_cast<std::size_t>(std::count(fixed.begin() + 1, fixed.end(), 0));

        const double area = (m.m_dLenX * m.m_dLenY) / static_cast<double>(m.m_nElem);
        const double dx = m.m_dLenX / m.m_nDivX, dy = m.m_dLenY / m.m_nDivY;
        const double l = dx / dy, f = dy / dx, s = f + l;
        terms = {s * c3,     -((f - l * 0.5) * c3), -((l - f * 0.5) * c3), -((s * 0.5) * c3),
                 area * c9,  area * c18,            area * c18,            area * c36};
        // Every node lies in four elements at most.
        stiffnessNorm = 4.0 * (std::fabs(terms.kD) + std::fabs(terms.kX) + std::fabs(terms.kY) +
                               std::fabs(terms.kO));
    }
    int Nodes() const { return model->m_nNode; }

    // y = kWeight K x + mWeight M x over the whole mesh, element by element.
    void Apply(double kWeight, double mWeight, const Vector& x, Vector& y) const
    {
        const MembraneModel& m = *model;
        const double D = kWeight * terms.kD + mWeight * terms.mD;
        const double X = kWeight * terms.kX + mWeight * terms.mX;
        const double Y = kWeight * terms.kY + mWeight * terms.mY;
        const double O = kWeight * terms.kO + mWeight * terms.mO;
        const double e[4][4] = {{D, X, O, Y}, {X, D, Y, O}, {O, Y, D, X}, {Y, O, X, D}};
        y.assign(x.size(), 0.0);
        for (int el = 1; el <= m.m_nElem; ++el) {
            const int n1 = el + (el - 1) / m.m_nDivY;
            const int node[4] = {n1, n1 + m.m_nDivY + 1, n1 + m.m_nDivY + 2, n1 + 1};
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q < 4; ++q)
                    y[node[p]] += e[p][q] * x[node[q]];
        }
    }

    void ZeroFixed(Vector& v) const
    {
        for (int n = 1; n <= Nodes(); ++n)
            if (fixed[n])
                v[n] = 0.0;
    }
};

// Eigenvalues (ascending) and eigenvectors (columns of q) of the symmetric matrix a, b x b, by
// cyclic Jacobi rotations.
void SymmetricEigen(std::vector<std::vector<double>> a, std::vector<double>& values,
                    std::vector<std::vector<double>>& q)
{
    const int b = static_cast<int>(a.size());
    q.assign(b, std::vector<double>(b, 0.0));
    for (int i = 0; i < b; ++i)
        q[i][i] = 1.0;
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0.0, scale = 0.0;
        for (int i = 0; i < b; ++i)
            for (int j = 0; j < b; ++j)
                (i == j ? scale : off) += a[i][j] * a[i][j];
        if (off <= 1e-32 * scale)
            break;
        for (int p = 0; p < b; ++p) {
            for (int r = p + 1; r < b; ++r) {
                if (a[p][r] == 0.0)
                    continue;
                const double theta = (a[r][r] - a[p][p]) / (2.0 * a[p][r]);
                const double t = std::copysign(1.0, theta) /
                                 (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0), sn = t * c;
                for (int k = 0; k < b; ++k) {  // columns p and r
                    const double akp = a[k][p], akr = a[k][r];
                    a[k][p] = c * akp - sn * akr;
                    a[k][r] = sn * akp + c * akr;
                }
                for (int k = 0; k < b; ++k) {  // rows p and r
                    const double apk = a[p][k], ark = a[r][k];
                    a[p][k] = c * apk - sn * ark;
                    a[r][k] = sn * apk + c * ark;
                }
                for (int k = 0; k < b; ++k) {
                    const double qkp = q[k][p], qkr = q[k][r];
                    q[k][p] = c * qkp - sn * qkr;
                    q[k][r] = sn * qkp + c * qkr;
                }
            }
        }
    }
    std::vector<int> order(b);
    for (int i = 0; i < b; ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](int i, int j) { return a[i][i] < a[j][j]; });
    values.resize(b);
    std::vector<std::vector<double>> sorted(b, std::vector<double>(b));
    for (int c = 0; c < b; ++c) {
        values[c] = a[order[c]][order[c]];
        for (int k = 0; k < b; ++k)
            sorted[k][c] = q[k][order[c]];
    }
    q = std::move(sorted);
}

// A deterministic start vector on the free nodes, different for every seed.
Vector StartVector(const Mesh& mesh, std::uint64_t seed)
{
    Vector v(mesh.Nodes() + 1, 0.0);
    std::uint64_t state = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    for (int n = 1; n <= mesh.Nodes(); ++n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        v[n] = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
    }
    mesh.ZeroFixed(v);
    return v;
}

// A block of vectors with M and K times each, kept in step.
struct Block {
    std::vector<Vector> y, my, ky;
};

// y[i] <- y[i] - c y[j], and the products with it.
void Subtract(Block& block, std::size_t i, std::size_t j, double c, bool withK)
{
    for (std::size_t n = 1; n < block.y[i].size(); ++n) {
        block.y[i][n] -= c * block.y[j][n];
        block.my[i][n] -= c * block.my[j][n];
        if (withK)
            block.ky[i][n] -= c * block.ky[j][n];
    }
}

// b start vectors, seed, seed + 1, ..., with M times each.
Block StartBlock(const Mesh& mesh, std::size_t b, std::uint64_t seed)
{
    Block block;
    for (std::size_t k = 0; k < b; ++k) {
        block.y.push_back(StartVector(mesh, seed + k));
        block.my.emplace_back();
        mesh.Apply(0.0, 1.0, block.y.back(), block.my.back());
    }
    return block;
}

// Makes the block M-orthonormal by Gram-Schmidt, twice against the vectors before; M y follows
// each step. A vector that loses itself in the others is replaced by a fresh one.
void Orthonormalize(const Mesh& mesh, Block& block, std::uint64_t seed)
{
    const std::size_t b = block.y.size();
    block.my.assign(b, Vector());
    for (std::size_t i = 0; i < b; ++i) {
        for (int attempt = 0;; ++attempt) {
            mesh.Apply(0.0, 1.0, block.y[i], block.my[i]);
            const double before = std::sqrt(std::max(Dot(block.y[i], block.my[i]), 0.0));
            for (int pass = 0; pass < 2; ++pass)
                for (std::size_t j = 0; j < i; ++j)
                    Subtract(block, i, j, Dot(block.my[j], block.y[i]), false);
            const double norm = std::sqrt(std::max(Dot(block.y[i], block.my[i]), 0.0));
            if (norm > 1e-10 * before || attempt == 3) {
                for (std::size_t n = 1; n < block.y[i].size(); ++n) {
                    block.y[i][n] /= norm;
                    block.my[i][n] /= norm;
                }
                break;
            }
            block.y[i] = StartVector(mesh, seed + 7919 * (i + 1) + attempt);
        }
    }
}

// The Ritz vectors of K in the M-orthonormal block, by increasing value, with their products.
std::vector<double> RayleighRitz(const Mesh& mesh, Block& block)
{
    const std::size_t b = block.y.size();
    block.ky.assign(b, Vector());
    for (std::size_t j = 0; j < b; ++j)
        mesh.Apply(1.0, 0.0, block.y[j], block.ky[j]);
    std::vector<std::vector<double>> kb(b, std::vector<double>(b));
    for (std::size_t i = 0; i < b; ++i)
        for (std::size_t j = 0; j < b; ++j)
            kb[i][j] = 0.5 * (Dot(block.y[i], block.ky[j]) + Dot(block.y[j], block.ky[i]));
    std::vector<double> values;
    std::vector<std::vector<double>> q;
    SymmetricEigen(kb, values, q);
    Block ritz{std::vector<Vector>(b, Vector(block.y[0].size(), 0.0)), {}, {}};
    ritz.my = ritz.ky = ritz.y;
    for (std::size_t c = 0; c < b; ++c)
        for (std::size_t k = 0; k < b; ++k)
            for (std::size_t n = 1; n < block.y[k].size(); ++n) {
                ritz.y[c][n] += q[k][c] * block.y[k][n];
                ritz.my[c][n] += q[k][c] * block.my[k][n];
                ritz.ky[c][n] += q[k][c] * block.ky[k][n];
            }
    block = std::move(ritz);
    return values;
}

// y <- (alpha^2 M - K)^-1 M y on the free nodes, for every vector of the block, with the factors
// in the record.
void SolveBlock(const Mesh& mesh, MembraneModel& record, Block& block)
{
    for (std::size_t k = 0; k < block.y.size(); ++k) {
        Vector& rhs = block.my[k];
        mesh.ZeroFixed(rhs);
        std::copy(rhs.begin(), rhs.end(), record.m_W);
        SubstituteBand(record);
        std::copy(record.m_W, record.m_W + rhs.size(), block.y[k].begin());
        block.y[k][0] = 0.0;
    }
}

// ||K x - lambda M x|| / (||K|| ||x||) over the free nodes.
double RelativeResidual(const Mesh& mesh, const Vector& x, const Vector& kx, const Vector& mx,
                        double lambda)
{
    double r = 0.0, norm = 0.0;
    for (int n = 1; n <= mesh.Nodes(); ++n) {
        if (mesh.fixed[n])
            continue;
        r += (kx[n] - lambda * mx[n]) * (kx[n] - lambda * mx[n]);
        norm += x[n] * x[n];
    }
    return std::sqrt(r) / (mesh.stiffnessNorm * std::sqrt(norm));
}

// phi^T (K - alpha^2 M) u over the free nodes.
double Participation(const Mesh& mesh, const Vector& phi, double alpha)
{
    Vector g;
    mesh.Apply(1.0, -(alpha * alpha), mesh.load, g);
    mesh.ZeroFixed(g);
    return Dot(phi, g);
}

// Within a cluster, the M-orthonormal shapes turned by a Householder reflection so that the
// participation p = Phi^T g falls on the first alone.
void TurnTowardsTheLoad(const Mesh& mesh, std::vector<Vector>& phi, double alpha)
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
    std::vector<Vector> turned(m, Vector(phi[0].size(), 0.0));
    for (std::size_t c = 0; c < m; ++c)
        for (std::size_t k = 0; k < m; ++k) {
            const double h = (k == c ? 1.0 : 0.0) - 2.0 * v[k] * v[c] / vv;
            for (std::size_t n = 1; n < phi[k].size(); ++n)
                turned[c][n] += h * phi[k][n];
        }
    phi = std::move(turned);
}

// The sign that makes the component of largest magnitude positive (the first of them in node
// order), and that node.
int LargestNode(const Vector& phi)
{
    int at = 1;
    for (std::size_t n = 2; n < phi.size(); ++n)
        if (std::fabs(phi[n]) > std::fabs(phi[at]))
            at = static_cast<int>(n);
    return at;
}

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

void Label(const Mesh& mesh, ModeShape& shape)
{
    const int at = LargestNode(shape.phi);
    if (shape.phi[at] < 0.0)
        for (double& v : shape.phi)
            v = 0.0 - v;  // the fixed nodes stay +0
    const MembraneModel& m = *mesh.model;
    const int rows = m.m_nDivY + 1;
    const int i0 = (at - 1) / rows, j0 = (at - 1) % rows;
    const double zero = 1e-9 * std::fabs(shape.phi[at]);
    std::vector<double> alongX, alongY;
    for (int i = 0; i <= m.m_nDivX; ++i)
        alongX.push_back(shape.phi[i * rows + j0 + 1]);
    for (int j = 0; j <= m.m_nDivY; ++j)
        alongY.push_back(shape.phi[i0 * rows + j + 1]);
    shape.kx = 1 + SignChanges(alongX, zero);
    shape.ky = SignChanges(alongY, zero);
}

// The record factored at the shift alpha, nudged down past any vanishing pivot.
void FactorAt(MembraneModel& record, double alpha)
{
    for (int nudge = 0; nudge < 64; ++nudge) {
        record.m_dAlpha = alpha;
        record.ZeroSystem();
        record.AssembleElements();
        record.ApplyBoundary();
        record.FactorBand();
        if (record.PivotInertia().firstBadRow == 0)
            return;
        alpha = std::nextafter(alpha, 0.0);
    }
}

// For each alpha of the cluster, in order, the Ritz value nearest its square among those not
// yet taken: the alphas are exact to 1e-12, their neighbours at least 1e-8 away.
std::vector<std::size_t> NearestRitz(const std::vector<double>& values,
                                     const std::vector<double>& alphas)
{
    std::vector<std::size_t> chosen;
    for (double alpha : alphas) {
        std::size_t best = values.size();
        for (std::size_t k = 0; k < values.size(); ++k)
            if (std::find(chosen.begin(), chosen.end(), k) == chosen.end() &&
                (best == values.size() ||
                 std::fabs(values[k] - alpha * alpha) < std::fabs(values[best] - alpha * alpha)))
                best = k;
        chosen.push_back(best);
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

// The shapes of one cluster, resonances lo..hi with their alphas.
std::vector<ModeShape> ClusterShapes(const Mesh& mesh, MembraneModel& record, std::int32_t lo,
                                     const std::vector<double>& alphas)
{
    const std::size_t m = alphas.size();
    // Two vectors beyond the members: the members converge as fast as the third eigenvalue
    // outside the cluster is far, and are told apart from neighbours by their alphas.
    const std::size_t b = std::min(m + 2, mesh.freeNodes);
    const double shift = alphas.front() * (1.0 - kShift);
    FactorAt(record, shift);
    Block block = StartBlock(mesh, b, static_cast<std::uint64_t>(lo) * 1000);
    std::vector<double> values;
    std::vector<std::size_t> members(m);  // the Ritz pairs nearest the cluster's alphas
    double previous = HUGE_VAL;           // the largest residual of the members, last time
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        SolveBlock(mesh, record, block);
        Orthonormalize(mesh, block, static_cast<std::uint64_t>(lo) * 1000 + iteration);
        values = RayleighRitz(mesh, block);
        members = NearestRitz(values, alphas);
        double residual = 0.0;
        for (std::size_t i : members)
            residual = std::max(residual, RelativeResidual(mesh, block.y[i], block.ky[i],
                                                           block.my[i], values[i]));
        if (iteration >= 1 &&
            (residual <= kSettled || (residual <= kStalled && residual > 0.5 * previous)))
            break;
        previous = residual;
    }

    std::vector<Vector> phi;
    for (std::size_t i : members)
        phi.push_back(block.y[i]);
    TurnTowardsTheLoad(mesh, phi, alphas.front());
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

// Runs of increasing alphas whose neighbours lie within the cluster tolerance of each other, as
// [begin, end) positions.
std::vector<std::pair<std::size_t, std::size_t>> Clusters(const std::vector<double>& alphas)
{
    std::vector<std::pair<std::size_t, std::size_t>> clusters;
    for (std::size_t k = 0; k < alphas.size(); ++k) {
        if (k > 0 && alphas[k] - alphas[k - 1] <= kClusterTolerance * alphas[k])
            clusters.back().second = k + 1;
        else
            clusters.push_back({k, k + 1});
    }
    return clusters;
}

// work() on this thread and on up to threads - 1 more, no more of them than there are tasks.
template <class Work>
void OnThreads(int threads, std::size_t tasks, const Work& work)
{
    std::vector<std::thread> workers;
    for (int t = 1; t < threads && static_cast<std::size_t>(t) < tasks; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& w : workers)
        w.join();
}

}  // namespace

double ContinuumAlpha(std::int32_t kx, std::int32_t ky)
{
    const double x = kx / 15.0, y = ky / 5.0;
    return std::numbers::pi * std::sqrt(x * x + y * y);
}

std::vector<ModeShape> FindShapes(const ModeSearch& search, bool option, std::int32_t first,
                                  std::int32_t last)
{
    // 1. The alphas, widened at both ends to whole clusters.
    std::int32_t lo = first, hi = last;
    std::vector<double> alphas = FindModes(search, lo, hi);
    ModeCounter counter(search.divX, search.divY);
    const std::int32_t count = ModeCount(search.divX, search.divY);
    for (bool widened = true; widened;) {
        widened = false;
        const std::int32_t below = counter.CountBelow(alphas.front() * (1.0 - kClusterTolerance)).below + 1;
        if (below < lo) {
            std::vector<double> more = FindModes(search, below, lo - 1);
            alphas.insert(alphas.begin(), more.begin(), more.end());
            lo = below;
            widened = true;
        }
        const std::int32_t above =
            std::min(count, counter.CountBelow(alphas.back() * (1.0 + kClusterTolerance)).below);
        if (above > hi) {
            std::vector<double> more = FindModes(search, hi + 1, above);
            alphas.insert(alphas.end(), more.begin(), more.end());
            hi = above;
            widened = true;
        }
    }

    // 2. The clusters: neighbours within the tolerance of each other.
    const std::vector<std::pair<std::size_t, std::size_t>> clusters = Clusters(alphas);

    // 3. Their shapes, cluster by cluster on the threads, each on a record of its own.
    std::vector<std::vector<ModeShape>> found(clusters.size());
    std::atomic<std::size_t> next{0};
    OnThreads(search.threads, clusters.size(), [&] {
        const Mesh mesh(search.divX, search.divY, option);
        auto record = std::make_unique<MembraneModel>(*mesh.model);
        for (std::size_t c; (c = next++) < clusters.size();) {
            const auto [begin, end] = clusters[c];
            found[c] = ClusterShapes(mesh, *record, lo + static_cast<std::int32_t>(begin),
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
// pi k / n per element: 6 / h^2 (1 - cos) / (2 + cos), 1 - cos as 2 sin^2 of the half angle
// so that the lowest keep their digits.
double LineEigenvalue(double h, std::int64_t k, std::int64_t n)
{
    const double s = SinPi(k, 2 * n);
    return 6.0 / (h * h) * (2.0 * s * s) / (2.0 + CosPi(k, n));
}

// Every resonance of the mesh, by increasing lambda. On the regular grid the bilinear element's
// matrices are products of those of linear elements along x and along y, K = Kx (x) My +
// Mx (x) Ky and M = Mx (x) My. Fixed at both ends, the line along x has the sampled sines
// sin(p pi i / divX), p = 1..divX - 1, for eigenvectors; free at both ends, the line along y
// the sampled cosines cos(q pi j / divY), q = 0..divY. Their products are the membrane's
// eigenvectors, at the sums of their eigenvalues.
std::vector<SeparableMode> SeparableModes(const MembraneModel& m)
{
    const double dx = m.m_dLenX / m.m_nDivX, dy = m.m_dLenY / m.m_nDivY;
    std::vector<SeparableMode> modes;
    for (std::int32_t p = 1; p < m.m_nDivX; ++p)
        for (std::int32_t q = 0; q <= m.m_nDivY; ++q)
            modes.push_back({LineEigenvalue(dx, p, m.m_nDivX) + LineEigenvalue(dy, q, m.m_nDivY),
                             p, q});
    std::sort(modes.begin(), modes.end(), [](const SeparableMode& a, const SeparableMode& b) {
        return a.lambda != b.lambda ? a.lambda < b.lambda : a.p != b.p ? a.p < b.p : a.q < b.q;
    });
    return modes;
}

// The M-normalised shape of a separable mode, 0 on the fixed edges, with M times it.
Vector SeparableShape(const Mesh& mesh, const SeparableMode& mode, Vector& mphi)
{
    const MembraneModel& m = *mesh.model;
    const int rows = m.m_nDivY + 1;
    std::vector<double> alongY(rows);
    for (int j = 0; j < rows; ++j)
        alongY[j] = CosPi(static_cast<std::int64_t>(mode.q) * j, m.m_nDivY);
    Vector phi(mesh.Nodes() + 1, 0.0);
    for (int i = 0; i <= m.m_nDivX; ++i) {
        const double x = SinPi(static_cast<std::int64_t>(mode.p) * i, m.m_nDivX);
        for (int j = 0; j < rows; ++j)
            phi[i * rows + j + 1] = x * alongY[j];
    }
    mesh.ZeroFixed(phi);
    mesh.Apply(0.0, 1.0, phi, mphi);
    const double norm = std::sqrt(Dot(phi, mphi));
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
                 const std::vector<ModeCounter::Slice>& known)
{
    const auto below = [&](double lambda) {
        return std::lower_bound(modes.begin(), modes.end(), lambda,
                                [](const SeparableMode& m, double l) { return m.lambda < l; }) -
               modes.begin();
    };
    for (const ModeCounter::Slice& s : known) {
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
std::optional<std::vector<double>> SettleSeparable(const Mesh& mesh, MembraneModel& record,
                                                   const std::vector<SeparableMode>& modes,
                                                   std::size_t begin, std::size_t end)
{
    Block block;
    double quotient = 0.0;  // phi^T K phi of the last, M-normalised
    for (std::size_t k = begin; k < end; ++k) {
        Vector mphi, kphi;
        block.y.push_back(SeparableShape(mesh, modes[k], mphi));
        mesh.Apply(1.0, 0.0, block.y.back(), kphi);
        if (RelativeResidual(mesh, block.y.back(), kphi, mphi, modes[k].lambda) > kStalled)
            return std::nullopt;
        quotient = Dot(block.y.back(), kphi);
        block.my.push_back(std::move(mphi));
    }
    const double alpha = std::sqrt(modes[begin].lambda);
    FactorAt(record, end - begin == 1 ? std::sqrt(quotient) : alpha * (1.0 - kShift));
    SolveBlock(mesh, record, block);
    Orthonormalize(mesh, block, static_cast<std::uint64_t>(begin));
    const std::vector<double> values = RayleighRitz(mesh, block);
    for (std::size_t i = 0; i < values.size(); ++i)
        if (RelativeResidual(mesh, block.y[i], block.ky[i], block.my[i], values[i]) > kStalled)
            return std::nullopt;
    TurnTowardsTheLoad(mesh, block.y, alpha);
    std::vector<double> participation;
    for (const Vector& x : block.y) {
        const double p = Participation(mesh, x, alpha);
        participation.push_back(x[LargestNode(x)] < 0.0 ? 0.0 - p : p);
    }
    return participation;
}

}  // namespace

std::vector<double> FindParticipations(const ModeSearch& search, bool option,
                                       const std::vector<ResonanceInInterval>& near)
{
    if (near.empty())
        return {};
    const Mesh mesh(search.divX, search.divY, option);
    const std::vector<SeparableMode> modes = SeparableModes(*mesh.model);
    const std::int32_t count = static_cast<std::int32_t>(modes.size());
    std::vector<char> listed(count + 1, 0);  // by number
    std::int32_t first = count, last = 1;
    for (const ResonanceInInterval& r : near) {
        listed[r.index] = 1;
        first = std::min(first, r.index);
        last = std::max(last, r.index);
    }

    // 1. The clusters that hold a listed number, as FindShapes forms them.
    std::vector<double> alphas;
    for (const SeparableMode& mode : modes)
        alphas.push_back(std::sqrt(mode.lambda));
    std::vector<std::pair<std::size_t, std::size_t>> clusters;  // [begin, end) in modes
    for (const auto& [begin, end] : Clusters(alphas))
        if (std::find(listed.begin() + begin + 1, listed.begin() + end + 1, 1) !=
            listed.begin() + end + 1)
            clusters.push_back({begin, end});

    // 2. Their shapes on the threads, each with a record of its own.
    std::vector<double> participation(count + 1, 0.0);  // by number
    std::atomic<bool> separable = CountsAgree(modes, search.known);
    std::atomic<std::size_t> next{0};
    OnThreads(search.threads, clusters.size(), [&] {
        auto record = std::make_unique<MembraneModel>(*mesh.model);
        for (std::size_t c; separable && (c = next++) < clusters.size();) {
            const auto [begin, end] = clusters[c];
            const auto settled = SettleSeparable(mesh, *record, modes, begin, end);
            if (!settled)
                separable = false;
            else
                std::copy(settled->begin(), settled->end(), participation.begin() + begin + 1);
        }
    });
    // Should any check fail, the shapes as FindShapes finds them.
    if (!separable) {
        for (const ModeShape& s : FindShapes(search, option, first, last))
            participation[s.index] = s.participation;
    }

    std::vector<double> inOrder;
    for (const ResonanceInInterval& r : near)
        inOrder.push_back(participation[r.index]);
    return inOrder;
}
