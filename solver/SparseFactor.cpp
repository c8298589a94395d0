// The sparse LDL^T of the constrained system, built from the band's nonzero entries.
#include "solver/SparseFactor.h"

#include <Eigen/OrderingMethods>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;

// Nested dissection of the grid of nodes (i, j), i = i0..i1, j = j0..j1: the two halves on
// either side of the middle line across the longer side first, then that line, which
// separates them for the element's coupling of nodes one step apart. Small blocks in node
// order. Appends the node numbers in elimination order.
void Dissect(const SizedRecord& r, int i0, int i1, int j0, int j1, std::vector<int>& order)
{
    constexpr int kSmallBlock = 8;
    const int width = i1 - i0 + 1, height = j1 - j0 + 1;
    if (width <= 0 || height <= 0)
        return;
    if (width * height <= kSmallBlock || (width < 3 && height < 3)) {
        for (int i = i0; i <= i1; ++i)
            for (int j = j0; j <= j1; ++j)
                order.push_back(i * (r.m_nDivY + 1) + j + 1);
        return;
    }
    if (width >= height) {
        const int m = (i0 + i1) / 2;
        Dissect(r, i0, m - 1, j0, j1, order);
        Dissect(r, m + 1, i1, j0, j1, order);
        Dissect(r, m, m, j0, j1, order);
    } else {
        const int m = (j0 + j1) / 2;
        Dissect(r, i0, i1, j0, m - 1, order);
        Dissect(r, i0, i1, m + 1, j1, order);
        Dissect(r, i0, i1, m, m, order);
    }
}

// place[node]: the node's row in the elimination order, from 0.
std::vector<int> DissectionPlaces(const SizedRecord& r)
{
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(r.m_nNode));
    Dissect(r, 0, r.m_nDivX, 0, r.m_nDivY, order);
    std::vector<int> place(static_cast<std::size_t>(r.m_nNode) + 1, -1);
    for (std::size_t k = 0; k < order.size(); ++k)
        place[static_cast<std::size_t>(order[k])] = static_cast<int>(k);
    return place;
}

// The upper triangle of the constrained matrix in the elimination order: the band's nonzero
// entries.
SparseMatrix UpperTriangle(const SizedRecord& r, const std::vector<int>& place)
{
    std::vector<Eigen::Triplet<double, int>> entries;
    entries.reserve(static_cast<std::size_t>(r.m_nNode) * 5);
    for (int row = 1; row <= r.m_nNode; ++row)
        for (int m = 1; m <= r.m_nBand && row + m - 1 <= r.m_nNode; ++m)
            if (const double v = r.m_K[row][m]; v != 0.0) {
                const int a = place[row], b = place[row + m - 1];
                entries.emplace_back(std::min(a, b), std::max(a, b), v);
            }
    SparseMatrix a(r.m_nNode, r.m_nNode);
    a.setFromTriplets(entries.begin(), entries.end());
    return a;
}

}  // namespace

struct SparseFactor::Factors {
    Eigen::SimplicialLDLT<SparseMatrix, Eigen::Upper, Eigen::NaturalOrdering<int>> ldlt;
    std::vector<int> place;  // by node
    Eigen::VectorXd work;
};

SparseFactor::SparseFactor() : m_factors(std::make_unique<Factors>()) {}

SparseFactor::~SparseFactor() = default;

BandInertia SparseFactor::Factor(SizedRecord& record)
{
    if (m_factors->place.size() != static_cast<std::size_t>(record.m_nNode) + 1)
        m_factors->place = DissectionPlaces(record);
    m_factors->ldlt.compute(UpperTriangle(record, m_factors->place));
    BandInertia inertia;
    const Eigen::VectorXd d = m_factors->ldlt.vectorD();
    for (Eigen::Index k = 0; k < d.size(); ++k) {
        const double pivot = d[k];
        inertia.positive += pivot > 0.0;
        inertia.negative += pivot < 0.0;
        inertia.zero += pivot == 0.0;
        if (inertia.firstBadRow == 0 && !(pivot != 0.0 && std::isfinite(pivot)))
            inertia.firstBadRow = static_cast<std::int32_t>(k + 1);
    }
    m_good = inertia.firstBadRow == 0 && m_factors->ldlt.info() == Eigen::Success;
    return inertia;
}

void SparseFactor::Solve(double* w) const
{
    const auto n = static_cast<Eigen::Index>(m_factors->ldlt.rows());
    const std::vector<int>& place = m_factors->place;
    Eigen::VectorXd& work = m_factors->work;
    if (!m_good) {
        std::fill(w + 1, w + 1 + n, std::numeric_limits<double>::quiet_NaN());
        return;
    }
    work.resize(n);
    for (Eigen::Index node = 1; node <= n; ++node)
        work[place[node]] = w[node];
    // No ordering of its own: the rows are already in the elimination order.
    const auto& ldlt = m_factors->ldlt;
    ldlt.matrixL().solveInPlace(work);
    work.array() /= ldlt.vectorD().array();
    ldlt.matrixU().solveInPlace(work);
    for (Eigen::Index node = 1; node <= n; ++node)
        w[node] = work[place[node]];
}

void SparseFactor::Solve(SizedRecord&, double* w)
{
    Solve(w);
}

BandInertia SparseFactor::SolveRecordSystem(SizedRecord& record)
{
    const BandInertia inertia = Factor(record);
    Solve(record.m_W);
    return inertia;
}
