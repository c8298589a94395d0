// The constrained band system of a computation, handed to LAPACK's banded solver and to
// Eigen's sparse LDL^T, for comparison with SolveBand; and the stiffness and mass matrices of the
// free nodes, handed to LAPACK's generalised eigensolvers, for comparison with the resonances.
// Benchmarks and their tests only.
#pragma once

#include <Eigen/Sparse>
#include <lapacke.h>

// OpenBLAS, called by name: dgbsv is then OpenBLAS's own, whichever LAPACK the system's
// liblapack.so.3 stands for (LAPACKE, for the eigensolvers, goes through that one).
extern "C" {
void dgbsv_(const int* n, const int* kl, const int* ku, const int* nrhs, double* ab,
            const int* ldab, int* ipiv, double* b, const int* ldb, int* info);
char* openblas_get_config(void);
char* openblas_get_corename(void);
void openblas_set_num_threads(int threads);
}

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
    int n = 0, kl = 0, ku = 0, ldab = 0;
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

// Factors and solves in place with OpenBLAS's dgbsv; b becomes the solution. Returns its info.
inline int SolveWithLapack(LapackBandSystem& s, std::vector<int>& pivots)
{
    pivots.resize(s.n);
    const int nrhs = 1;
    int info = 0;
    dgbsv_(&s.n, &s.kl, &s.ku, &nrhs, s.ab.data(), &s.ldab, pivots.data(), s.b.data(), &s.n, &info);
    return info;
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

// Stiffness K and mass M of the free nodes (columns 1..divX-1 of the grid, node numbers
// divY + 2 .. divX (divY + 1), renumbered from 0 in the same order), from the exact element
// formulas, in dense column-major storage.
struct FreePencil {
    int n = 0;
    std::vector<double> K, M;

    FreePencil(int divX, int divY)
    {
        const int rows = divY + 1;
        n = (divX - 1) * rows;
        K.assign(static_cast<std::size_t>(n) * n, 0.0);
        M.assign(static_cast<std::size_t>(n) * n, 0.0);
        const double dx = 15.0 / divX, dy = 5.0 / divY, area = dx * dy;
        const double l = dx / dy, f = dy / dx;
        // Corner order (i, j), (i+1, j), (i+1, j+1), (i, j+1).
        const double ke[4][4] = {{(l + f) / 3, l / 6 - f / 3, -(l + f) / 6, f / 6 - l / 3},
                                 {l / 6 - f / 3, (l + f) / 3, f / 6 - l / 3, -(l + f) / 6},
                                 {-(l + f) / 6, f / 6 - l / 3, (l + f) / 3, l / 6 - f / 3},
                                 {f / 6 - l / 3, -(l + f) / 6, l / 6 - f / 3, (l + f) / 3}};
        const double me[4][4] = {{4, 2, 1, 2}, {2, 4, 2, 1}, {1, 2, 4, 2}, {2, 1, 2, 4}};
        for (int i = 0; i < divX; ++i)
            for (int j = 0; j < divY; ++j) {
                const int c[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
                for (int p = 0; p < 4; ++p)
                    for (int q = 0; q < 4; ++q) {
                        const int ip = c[p][0], iq = c[q][0];
                        if (ip == 0 || ip == divX || iq == 0 || iq == divX)
                            continue;  // a fixed node
                        const int r = (ip - 1) * rows + c[p][1], s = (iq - 1) * rows + c[q][1];
                        K[static_cast<std::size_t>(s) * n + r] += ke[p][q];
                        M[static_cast<std::size_t>(s) * n + r] += area / 36 * me[p][q];
                    }
            }
    }
};

// The square roots of the first `wanted` eigenvalues w that LAPACK found; empty on its failure.
inline std::vector<double> Alphas(lapack_int info, lapack_int found, int wanted,
                                  const std::vector<double>& w)
{
    if (info != 0 || found != wanted)
        return {};
    std::vector<double> alphas;
    for (int k = 0; k < found; ++k)
        alphas.push_back(std::sqrt(w[k]));
    return alphas;
}

// alpha = sqrt(lambda) for the eigenvalues number il..iu of K x = lambda M x, by dsygvx on the
// dense matrices or dsbgvx on their bands (kd the half band width); empty when LAPACK fails.
inline std::vector<double> DenseModes(FreePencil p, int il, int iu)
{
    std::vector<double> w(p.n), z(1);
    std::vector<lapack_int> ifail(p.n);
    lapack_int found = 0;
    const lapack_int info =
        LAPACKE_dsygvx(LAPACK_COL_MAJOR, 1, 'N', 'I', 'U', p.n, p.K.data(), p.n, p.M.data(), p.n,
                       0.0, 0.0, il, iu, 0.0, &found, w.data(), z.data(), 1, ifail.data());
    return Alphas(info, found, iu - il + 1, w);
}

inline std::vector<double> BandModes(const FreePencil& p, int kd, int il, int iu)
{
    // Upper band storage: AB(kd + 1 + i - j, j) = A(i, j), 1-based.
    const int ld = kd + 1;
    std::vector<double> ab(static_cast<std::size_t>(ld) * p.n), bb(ab.size());
    for (int j = 0; j < p.n; ++j)
        for (int i = std::max(0, j - kd); i <= j; ++i) {
            ab[static_cast<std::size_t>(j) * ld + kd + i - j] = p.K[static_cast<std::size_t>(j) * p.n + i];
            bb[static_cast<std::size_t>(j) * ld + kd + i - j] = p.M[static_cast<std::size_t>(j) * p.n + i];
        }
    std::vector<double> w(p.n), q(1), z(1);
    std::vector<lapack_int> ifail(p.n);
    lapack_int found = 0;
    const lapack_int info = LAPACKE_dsbgvx(LAPACK_COL_MAJOR, 'N', 'I', 'U', p.n, kd, kd, ab.data(),
                                           ld, bb.data(), ld, q.data(), 1, 0.0, 0.0, il, iu, 0.0,
                                           &found, w.data(), z.data(), 1, ifail.data());
    return Alphas(info, found, iu - il + 1, w);
}

// The eigenvectors of eigenvalues il..iu of K z = lambda M z, each z^T M z = 1, column by column
// over the free nodes (free index = node number - divY - 2), by dsygvx on the dense matrices or
// dsbgvx on their bands; empty when LAPACK fails.
struct PeerShapes {
    std::vector<double> lambda;
    std::vector<std::vector<double>> z;
};

// The m eigenpairs LAPACK found, the vectors n long in z column by column; empty on its failure.
inline PeerShapes Collect(lapack_int info, lapack_int found, int m, int n,
                          const std::vector<double>& w, const std::vector<double>& z)
{
    PeerShapes shapes;
    if (info != 0 || found != m)
        return shapes;
    for (int k = 0; k < m; ++k) {
        shapes.lambda.push_back(w[k]);
        shapes.z.emplace_back(z.begin() + static_cast<std::ptrdiff_t>(k) * n,
                              z.begin() + static_cast<std::ptrdiff_t>(k + 1) * n);
    }
    return shapes;
}

inline PeerShapes DenseShapes(FreePencil p, int il, int iu)
{
    const int m = iu - il + 1;
    std::vector<double> w(p.n), z(static_cast<std::size_t>(p.n) * m);
    std::vector<lapack_int> ifail(p.n);
    lapack_int found = 0;
    const lapack_int info =
        LAPACKE_dsygvx(LAPACK_COL_MAJOR, 1, 'V', 'I', 'U', p.n, p.K.data(), p.n, p.M.data(), p.n,
                       0.0, 0.0, il, iu, 0.0, &found, w.data(), z.data(), p.n, ifail.data());
    return Collect(info, found, m, p.n, w, z);
}

inline PeerShapes BandShapes(const FreePencil& p, int kd, int il, int iu)
{
    const int ld = kd + 1, m = iu - il + 1;
    std::vector<double> ab(static_cast<std::size_t>(ld) * p.n), bb(ab.size());
    for (int j = 0; j < p.n; ++j)
        for (int i = std::max(0, j - kd); i <= j; ++i) {
            ab[static_cast<std::size_t>(j) * ld + kd + i - j] = p.K[static_cast<std::size_t>(j) * p.n + i];
            bb[static_cast<std::size_t>(j) * ld + kd + i - j] = p.M[static_cast<std::size_t>(j) * p.n + i];
        }
    std::vector<double> w(p.n), q(static_cast<std::size_t>(p.n) * p.n), z(static_cast<std::size_t>(p.n) * m);
    std::vector<lapack_int> ifail(p.n);
    lapack_int found = 0;
    const lapack_int info = LAPACKE_dsbgvx(LAPACK_COL_MAJOR, 'V', 'I', 'U', p.n, kd, kd, ab.data(),
                                           ld, bb.data(), ld, q.data(), p.n, 0.0, 0.0, il, iu, 0.0,
                                           &found, w.data(), z.data(), p.n, ifail.data());
    return Collect(info, found, m, p.n, w, z);
}
