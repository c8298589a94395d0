// The steps of subspace inverse iteration. The start vectors are deterministic, so the shapes do
// not depend on the threads that find them.
#include "solver/SubspaceIteration.h"

#include <algorithm>
#include <cmath>

#include "solver/DenseEigen.h"

namespace {

constexpr int kMaxIterations = 40;

// A deterministic start vector on the free nodes, different for every seed.
NodeVector StartVector(const MeshOperator& mesh, std::uint64_t seed)
{
    NodeVector v(mesh.Nodes() + 1, 0.0);
    std::uint64_t state = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    for (int n = 1; n <= mesh.Nodes(); ++n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        v[n] = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
    }
    mesh.ZeroFixed(v);
    return v;
}

// y[i] <- y[i] - c y[j], and M y with it.
void Subtract(Block& block, std::size_t i, std::size_t j, double c)
{
    for (std::size_t n = 1; n < block.y[i].size(); ++n) {
        block.y[i][n] -= c * block.y[j][n];
        block.my[i][n] -= c * block.my[j][n];
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

}  // namespace

Block StartBlock(const MeshOperator& mesh, std::size_t b, std::uint64_t seed)
{
    Block block;
    for (std::size_t k = 0; k < b; ++k) {
        block.y.push_back(StartVector(mesh, seed + k));
        block.my.emplace_back();
        mesh.Apply(0.0, 1.0, block.y.back(), block.my.back());
    }
    return block;
}

void SolveBlock(const MeshOperator& mesh, ShiftedFactor& factor, Block& block)
{
    for (std::size_t k = 0; k < block.y.size(); ++k) {
        mesh.ZeroFixed(block.my[k]);
        factor.Solve(block.my[k], block.y[k]);
    }
}

void Orthonormalize(const MeshOperator& mesh, Block& block, std::uint64_t seed)
{
    const std::size_t b = block.y.size();
    block.my.assign(b, NodeVector());
    for (std::size_t i = 0; i < b; ++i) {
        for (int attempt = 0;; ++attempt) {
            mesh.Apply(0.0, 1.0, block.y[i], block.my[i]);
            const double before =
                std::sqrt(std::max(MeshOperator::Dot(block.y[i], block.my[i]), 0.0));
            for (int pass = 0; pass < 2; ++pass)
                for (std::size_t j = 0; j < i; ++j)
                    Subtract(block, i, j, MeshOperator::Dot(block.my[j], block.y[i]));
            const double norm =
                std::sqrt(std::max(MeshOperator::Dot(block.y[i], block.my[i]), 0.0));
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

std::vector<double> RayleighRitz(const MeshOperator& mesh, Block& block)
{
    const std::size_t b = block.y.size();
    block.ky.assign(b, NodeVector());
    for (std::size_t j = 0; j < b; ++j)
        mesh.Apply(1.0, 0.0, block.y[j], block.ky[j]);
    DenseMatrix kb(b, std::vector<double>(b));
    for (std::size_t i = 0; i < b; ++i)
        for (std::size_t j = 0; j < b; ++j)
            kb[i][j] = 0.5 * (MeshOperator::Dot(block.y[i], block.ky[j]) +
                              MeshOperator::Dot(block.y[j], block.ky[i]));
    std::vector<double> values;
    DenseMatrix q;
    SymmetricEigen(kb, values, q);
    Block ritz{std::vector<NodeVector>(b, NodeVector(block.y[0].size(), 0.0)), {}, {}};
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

double RelativeResidual(const MeshOperator& mesh, const NodeVector& x, const NodeVector& kx,
                        const NodeVector& mx, double lambda)
{
    double r = 0.0, norm = 0.0;
    for (int n = 1; n <= mesh.Nodes(); ++n) {
        if (mesh.Fixed(n))
            continue;
        r += (kx[n] - lambda * mx[n]) * (kx[n] - lambda * mx[n]);
        norm += x[n] * x[n];
    }
    return std::sqrt(r) / (mesh.StiffnessNorm() * std::sqrt(norm));
}

std::vector<NodeVector> SettleCluster(const MeshOperator& mesh, ShiftedFactor& factor,
                                      std::int32_t lo, const std::vector<double>& alphas)
{
    // Two vectors beyond the members: the members converge as fast as the third eigenvalue
    // outside the cluster is far, and are told apart from neighbours by their alphas.
    const std::size_t b = std::min(alphas.size() + 2, mesh.FreeNodes());
    factor.FactorNear(alphas.front() * (1.0 - kShift), 0.0);
    const auto seed = static_cast<std::uint64_t>(lo) * 1000;
    Block block = StartBlock(mesh, b, seed);
    std::vector<std::size_t> members;  // the Ritz pairs nearest the cluster's alphas
    double previous = HUGE_VAL;        // the largest residual of the members, last time
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        SolveBlock(mesh, factor, block);
        Orthonormalize(mesh, block, seed + iteration);
        const std::vector<double> values = RayleighRitz(mesh, block);
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
    std::vector<NodeVector> phi;
    for (std::size_t i : members)
        phi.push_back(std::move(block.y[i]));
    return phi;
}

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
