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

BandInertia SolveSparse(SizedRecord& record)
{
    Eigen::SimplicialLDLT<SparseMatrix, Eigen::Upper, Eigen::AMDOrdering<int>> ldlt;
    ldlt.compute(UpperTriangle(record));
    BandInertia inertia;
    const Eigen::VectorXd d = ldlt.vectorD();
    for (Eigen::Index k = 0; k < d.size(); ++k) {
        const double pivot = d[k];
        inertia.positive += pivot > 0.0;
        inertia.negative += pivot < 0.0;
        inertia.zero += pivot == 0.0;
        if (inertia.firstBadRow == 0 && !(pivot != 0.0 && std::isfinite(pivot)))
            inertia.firstBadRow = static_cast<std::int32_t>(k + 1);
    }
    Eigen::Map<Eigen::VectorXd> w(record.m_W + 1, record.m_nNode);
    if (inertia.firstBadRow != 0 || ldlt.info() != Eigen::Success)
        w.setConstant(std::numeric_limits<double>::quiet_NaN());
    else
        w = ldlt.solve(Eigen::VectorXd(w));
    return inertia;
}
