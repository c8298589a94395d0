// The sparse LDL^T of the constrained system, built from the band's nonzero entries.
#include "solver/SparseFactor.h"

#include <Eigen/OrderingMethods>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;

// The upper triangle of the constrained matrix: the band's nonzero entries, rows from 0.
SparseMatrix UpperTriangle(const SizedRecord& r)
{
    std::vector<Eigen::Triplet<double, int>> entries;
    entries.reserve(static_cast<std::size_t>(r.m_nNode) * 5);
    for (int row = 1; row <= r.m_nNode; ++row)
        for (int m = 1; m <= r.m_nBand && row + m - 1 <= r.m_nNode; ++m)
            if (const double v = r.m_K[row][m]; v != 0.0)
                entries.emplace_back(row - 1, row + m - 2, v);
    SparseMatrix a(r.m_nNode, r.m_nNode);
    a.setFromTriplets(entries.begin(), entries.end());
    return a;
}

}  // namespace

struct SparseFactor::Factors {
    Eigen::SimplicialLDLT<SparseMatrix, Eigen::Upper, Eigen::AMDOrdering<int>> ldlt;
};

SparseFactor::SparseFactor() : m_factors(std::make_unique<Factors>()) {}

SparseFactor::~SparseFactor() = default;

BandInertia SparseFactor::Factor(const SizedRecord& record)
{
    m_factors->ldlt.compute(UpperTriangle(record));
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
    Eigen::Map<Eigen::VectorXd> x(w + 1, n);
    if (!m_good)
        x.setConstant(std::numeric_limits<double>::quiet_NaN());
    else
        x = m_factors->ldlt.solve(Eigen::VectorXd(x));
}

BandInertia SolveSparse(SizedRecord& record)
{
    SparseFactor factor;
    const BandInertia inertia = factor.Factor(record);
    factor.Solve(record.m_W);
    return inertia;
}
