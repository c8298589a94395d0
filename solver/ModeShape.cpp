// Mode shapes by subspace inverse iteration: the band elimination factors alpha^2 M - K at a
// shift just below a cluster of resonances, a block of vectors is solved against M times itself
// until it settles, and Rayleigh-Ritz in the block separates the cluster from its neighbours.
#include "solver/ModeShape.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>
#include <numeric>
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
    std::vector<double> p(m);
    double norm = 0.0;
    for (std::size_t i = 0; i < m; ++i) {
        p[i] = Participation(mesh, phi[i], alpha);
        norm += p[i] * p[i];
    }
    norm = std::sqrt(norm);
    if (m < 2 || norm == 0.0)
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
    std::vector<std::pair<std::int32_t, std::int32_t>> clusters;  // first and last index
    for (std::int32_t k = lo; k <= hi; ++k) {
        const double a = alphas[k - lo];
        if (k > lo && a - alphas[k - lo - 1] <= kClusterTolerance * a)
            clusters.back().second = k;
        else
            clusters.push_back({k, k});
    }

    // 3. Their shapes, cluster by cluster on the threads, each on a record of its own.
    std::vector<std::vector<ModeShape>> found(clusters.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        const Mesh mesh(search.divX, search.divY, option);
        auto record = std::make_unique<MembraneModel>(*mesh.model);
        for (std::size_t c; (c = next++) < clusters.size();) {
            const auto [a, b] = clusters[c];
            found[c] = ClusterShapes(mesh, *record, a,
                                     std::vector<double>(alphas.begin() + (a - lo),
                                                         alphas.begin() + (b - lo) + 1));
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < search.threads && t < static_cast<int>(clusters.size()); ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& w : workers)
        w.join();

    std::vector<ModeShape> shapes;
    for (std::vector<ModeShape>& cluster : found)
        for (ModeShape& s : cluster)
            if (s.index >= first && s.index <= last)
                shapes.push_back(std::move(s));
    return shapes;
}

namespace {

constexpr int kQuotientSteps = 8;

// An iterate with M times it, kept in step, M-normalised.
struct Iterate {
    Vector x, mx;
};

Iterate MakeIterate(const Mesh& mesh, Vector x)
{
    Iterate it{std::move(x), {}};
    mesh.Apply(0.0, 1.0, it.x, it.mx);
    const double norm = std::sqrt(Dot(it.x, it.mx));
    for (std::size_t n = 0; n < it.x.size(); ++n) {
        it.x[n] /= norm;
        it.mx[n] /= norm;
    }
    return it;
}

// x <- (factored)^-1 M x on the free nodes, M-normalised.
void InverseStep(const Mesh& mesh, MembraneModel& record, Iterate& it)
{
    mesh.ZeroFixed(it.mx);
    std::copy(it.mx.begin(), it.mx.end(), record.m_W);
    SubstituteBand(record);
    Vector x(record.m_W, record.m_W + it.mx.size());
    x[0] = 0.0;
    it = MakeIterate(mesh, std::move(x));
}

// x^T K x for an M-normalised x: its Rayleigh quotient.
double RayleighQuotient(const Mesh& mesh, const Iterate& it)
{
    Vector kx;
    mesh.Apply(1.0, 0.0, it.x, kx);
    return Dot(it.x, kx);
}

// Where an iteration settled: alpha^2, the participation of its vector, and the numbers lo..hi
// of the resonances within the cluster tolerance of it, by the inertia on either side: one
// resonance (lo == hi) whose shape the vector is, or a cluster (lo < hi), or nothing (lo > hi).
struct Quotient {
    double lambda = 0.0;
    double participation = 0.0;
    std::int32_t lo = 1;
    std::int32_t hi = 0;
    ModeCounter::Slice below{}, above{};  // the counts on either side, where they were taken
};

// Rayleigh-quotient iteration from x, then the inertia around where it settled.
Quotient Settle(const Mesh& mesh, MembraneModel& record, Vector start)
{
    Quotient q;
    Iterate x = MakeIterate(mesh, std::move(start));
    double lambda = RayleighQuotient(mesh, x);
    for (int step = 0; step < kQuotientSteps && lambda > 0.0; ++step) {
        FactorAt(record, std::sqrt(lambda));
        InverseStep(mesh, record, x);
        // The vector's error cubes with every step, the quotient's squares: once the quotient
        // moves by 1e-10, the vector just solved for is settled to rounding.
        const double next = RayleighQuotient(mesh, x);
        const bool settled = std::fabs(next - lambda) <= 1e-10 * next;
        lambda = next;
        if (settled)
            break;
    }
    if (!(lambda > 0.0))
        return q;
    const double alpha = std::sqrt(lambda);
    FactorAt(record, alpha * (1.0 - kClusterTolerance));
    q.below = {record.m_dAlpha, ModesBelow(record, record.PivotInertia())};
    FactorAt(record, alpha * (1.0 + kClusterTolerance));
    q.above = {record.m_dAlpha, ModesBelow(record, record.PivotInertia())};
    q.lo = q.below.below + 1;
    q.hi = q.above.below;
    q.lambda = lambda;
    q.participation = Participation(mesh, x.x, alpha);
    return q;
}

// The resonances first..first + m - 1, which share the alpha near them: a few steps of inverse
// iteration of a block at that alpha part them, then each settles from its own Ritz vector.
std::vector<Quotient> SettleGroup(const Mesh& mesh, MembraneModel& record, std::int32_t first,
                                  std::size_t m, double alpha)
{
    FactorAt(record, alpha);
    if (m == 1) {  // alone: two steps of one vector, then its quotients
        Iterate x = MakeIterate(mesh, StartVector(mesh, static_cast<std::uint64_t>(first) * 7919));
        InverseStep(mesh, record, x);
        InverseStep(mesh, record, x);
        return {Settle(mesh, record, std::move(x.x))};
    }
    const std::size_t b = std::min(m + 2, mesh.freeNodes);
    Block block = StartBlock(mesh, b, static_cast<std::uint64_t>(first) * 7919);
    std::vector<double> values;
    for (int iteration = 0; iteration < 6; ++iteration) {
        SolveBlock(mesh, record, block);
        Orthonormalize(mesh, block, static_cast<std::uint64_t>(first) * 7919 + 100 + iteration);
        values = RayleighRitz(mesh, block);
    }
    // The m Ritz vectors whose values lie nearest the shift settle on their own.
    std::vector<std::size_t> order(b);
    for (std::size_t k = 0; k < b; ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
        return std::fabs(values[i] - alpha * alpha) < std::fabs(values[j] - alpha * alpha);
    });
    std::vector<Quotient> settled;
    for (std::size_t i = 0; i < std::min(m, b); ++i)
        settled.push_back(Settle(mesh, record, block.y[order[i]]));
    return settled;
}

}  // namespace

std::vector<double> FindParticipations(const ModeSearch& search, bool option,
                                       const std::vector<ResonanceInInterval>& near)
{
    // 1. Every listed number once, with an alpha near it; numbers that share an alpha, groups.
    std::vector<std::pair<std::int32_t, double>> modes;
    for (const ResonanceInInterval& r : near)
        modes.push_back({r.index, std::fabs(r.alpha)});
    std::sort(modes.begin(), modes.end());
    modes.erase(std::unique(modes.begin(), modes.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                modes.end());
    std::vector<std::pair<std::size_t, std::size_t>> groups;  // [begin, end) in modes
    for (std::size_t i = 0; i < modes.size(); ++i) {
        if (i > 0 && modes[i].second == modes[i - 1].second &&
            modes[i].first == modes[i - 1].first + 1)
            groups.back().second = i + 1;
        else
            groups.push_back({i, i + 1});
    }
    const auto position = [&](std::int32_t index) -> std::size_t {
        const auto at = std::lower_bound(
            modes.begin(), modes.end(), std::pair{index, 0.0},
            [](const auto& a, const auto& b) { return a.first < b.first; });
        return at != modes.end() && at->first == index ? static_cast<std::size_t>(at - modes.begin())
                                                       : modes.size();
    };

    // 2. The groups settled on the threads. Each result counts for the resonance it settled on,
    //    whichever number it set out for.
    std::vector<std::vector<Quotient>> settled(groups.size());
    std::atomic<std::size_t> next{0};
    auto settle = [&] {
        const Mesh mesh(search.divX, search.divY, option);
        auto record = std::make_unique<MembraneModel>(*mesh.model);
        for (std::size_t g; (g = next++) < groups.size();) {
            const auto [begin, end] = groups[g];
            settled[g] = SettleGroup(mesh, *record, modes[begin].first, end - begin, modes[begin].second);
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < search.threads && t < static_cast<int>(groups.size()); ++t)
        workers.emplace_back(settle);
    settle();
    for (std::thread& w : workers)
        w.join();
    workers.clear();

    // Clusters, with where they settled and the counts that bracket them, and the numbers no
    // iteration settled on.
    struct Range {
        std::int32_t lo, hi;
        double lambda;  // where an iteration settled inside the cluster; 0 for none
        std::vector<ModeCounter::Slice> known;
    };
    std::vector<double> participation(modes.size(), 0.0);
    std::vector<char> done(modes.size(), 0);
    std::vector<Range> ranges;
    std::vector<const Quotient*> alone(modes.size() + 2, nullptr);  // by position + 1
    for (const std::vector<Quotient>& group : settled)
        for (const Quotient& q : group) {
            if (q.lo == q.hi) {
                if (const std::size_t i = position(q.lo); i < modes.size() && !done[i]) {
                    participation[i] = q.participation;
                    done[i] = 1;
                    alone[i + 1] = &q;
                }
            } else if (q.lo < q.hi) {
                ranges.push_back({q.lo, q.hi, q.lambda, {q.below, q.above}});
            }
        }
    // A number left between two settled neighbours lies between their counts.
    for (std::size_t i = 0; i < modes.size(); ++i) {
        if (done[i])
            continue;
        Range r{modes[i].first, modes[i].first, 0.0, {}};
        if (i > 0 && alone[i] && modes[i - 1].first == r.lo - 1)
            r.known.push_back(alone[i]->above);
        if (alone[i + 2] && modes[i + 1].first == r.lo + 1)
            r.known.push_back(alone[i + 2]->below);
        ranges.push_back(r);
    }

    // 3. A cluster alone: exactly its m resonances lie within the tolerance of where one
    //    iteration settled, so the m Ritz values nearest that are its members, and its shapes
    //    come at once. The rest as FindShapes finds them, its bisection starting from the counts
    //    at hand. Ranges that overlap merged; side by side on the threads.
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.lo < b.lo; });
    std::vector<Range> merged;
    for (const Range& r : ranges) {
        if (!merged.empty() && r.lo <= merged.back().hi) {
            if (r.lo != merged.back().lo || r.hi != merged.back().hi)
                merged.back().lambda = 0.0;  // no longer one cluster
            merged.back().hi = std::max(merged.back().hi, r.hi);
            merged.back().known.insert(merged.back().known.end(), r.known.begin(), r.known.end());
        } else {
            merged.push_back(r);
        }
    }
    next = 0;
    auto fallBack = [&] {
        const Mesh mesh(search.divX, search.divY, option);
        auto record = std::make_unique<MembraneModel>(*mesh.model);
        for (std::size_t r; (r = next++) < merged.size();) {
            const Range& range = merged[r];
            std::vector<ModeShape> shapes;
            if (range.lambda > 0.0) {
                const std::vector<double> alphas(static_cast<std::size_t>(range.hi - range.lo + 1),
                                                 std::sqrt(range.lambda));
                shapes = ClusterShapes(mesh, *record, range.lo, alphas);
            } else {
                ModeSearch one = search;
                one.threads = 1;
                one.known.insert(one.known.end(), range.known.begin(), range.known.end());
                shapes = FindShapes(one, option, range.lo, range.hi);
            }
            for (const ModeShape& s : shapes)
                if (const std::size_t i = position(s.index); i < modes.size())
                    participation[i] = s.participation;
        }
    };
    for (int t = 1; t < search.threads && t < static_cast<int>(merged.size()); ++t)
        workers.emplace_back(fallBack);
    fallBack();
    for (std::thread& w : workers)
        w.join();

    // 4. In the order of the list.
    std::vector<double> listed;
    for (const ResonanceInInterval& r : near)
        listed.push_back(participation[position(r.index)]);
    return listed;
}
