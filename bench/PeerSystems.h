// The constrained band system of a computation, handed to LAPACK's banded solver and to
// Eigen's sparse LDL^T, for comparison with SolveBand. Benchmarks and their tests only.
#pragma once

#include <Eigen/Sparse>
#include <lapacke.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "solver/MembraneModel.h"

// The full symmetric entry A(r, s) from the upper band.
inline double BandEntry(const MembraneModel& m, int r, int s)
{
    if (r > s)
        std::swap(r, s);
    return s - r < m.m_nBand ? m.m_K[r][1 + s - r] : 0.0;
}

// General band storage for dgbsv: kl = ku = m_nBand - 1, rows kl extra for the fill-in.
struct LapackBandSystem {
    lapack_int n = 0, kl = 0, ku = 0, ldab = 0;
    std::vector<double> ab;  // column-major, ldab x n
    std::vector<double> b;

    explicit LapackBandSystem(const MembraneModel& m)
        : n(m.m_nNode), kl(m.m_nBand - 1), ku(m.m_nBand - 1), ldab(2 * kl + ku + 1),
          ab(static_cast<std::size_t>(ldab) * n, 0.0), b(m.m_W + 1, m.m_W + 1 + m.m_nNode)
    {
        for (int j = 1; j <= n; ++j)
            for (int i = std::max(1, j - ku); i <= std::min<int>(n, j + kl); ++i)
                ab[static_cast<std::size_t>(j - 1) * ldab + (kl + ku + i - j)] = BandEntry(m, i, j);
    }
};

// Factors and solves in place; b becomes the solution. Returns LAPACK's info.
inline lapack_int SolveWithLapack(LapackBandSystem& s, std::vector<lapack_int>& pivots)
{
    pivots.resize(s.n);
    return LAPACKE_dgbsv(LAPACK_COL_MAJOR, s.n, s.kl, s.ku, 1, s.ab.data(), s.ldab, pivots.data(),
                         s.b.data(), s.n);
}

inline Eigen::SparseMatrix<double> EigenMatrix(const MembraneModel& m)
{
    std::vector<Eigen::Triplet<double>> entries;
    for (int r = 1; r <= m.m_nNode; ++r)
        for (int s = std::max(1, r - m.m_nBand + 1); s <= std::min(m.m_nNode, r + m.m_nBand - 1); ++s)
            if (const double v = BandEntry(m, r, s); v != 0.0)
                entries.emplace_back(r - 1, s - 1, v);
    Eigen::SparseMatrix<double> a(m.m_nNode, m.m_nNode);
    a.setFromTriplets(entries.begin(), entries.end());
    return a;
}

inline Eigen::VectorXd EigenRhs(const MembraneModel& m)
{
    return Eigen::Map<const Eigen::VectorXd>(m.m_W + 1, m.m_nNode);
}

// Largest difference relative to the largest magnitude of the reference.
template <class Vector>
double RelativeDifference(const MembraneModel& solved, const Vector& x)
{
    double diff = 0.0, scale = 0.0;
    for (int n = 1; n <= solved.m_nNode; ++n) {
        diff = std::max(diff, std::fabs(x[n - 1] - solved.m_W[n]));
        scale = std::max(scale, std::fabs(solved.m_W[n]));
    }
    return diff / scale;
}
