// Cyclic Jacobi: sweeps of plane rotations, each zeroing one off-diagonal pair, until the
// off-diagonal part is negligible beside the diagonal.
#include "solver/DenseEigen.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr int kMostSweeps = 100;

// The rotation by (c, s) of columns p and r of m, for every row.
void RotateColumns(DenseMatrix& m, int p, int r, double c, double s)
{
    for (std::vector<double>& row : m) {
        const double mp = row[p], mr = row[r];
        row[p] = c * mp - s * mr;
        row[r] = s * mp + c * mr;
    }
}

// The same of rows p and r.
void RotateRows(DenseMatrix& m, int p, int r, double c, double s)
{
    for (std::size_t k = 0; k < m.size(); ++k) {
        const double mp = m[p][k], mr = m[r][k];
        m[p][k] = c * mp - s * mr;
        m[r][k] = s * mp + c * mr;
    }
}

// Whether the off-diagonal part has fallen below 1e-16 of the diagonal's, in the Frobenius norm.
bool Diagonal(const DenseMatrix& a)
{
    double off = 0.0, scale = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (std::size_t j = 0; j < a.size(); ++j)
            (i == j ? scale : off) += a[i][j] * a[i][j];
    return off <= 1e-32 * scale;
}

}  // namespace

void SymmetricEigen(DenseMatrix a, std::vector<double>& values, DenseMatrix& q)
{
    const int b = static_cast<int>(a.size());
    q.assign(b, std::vector<double>(b, 0.0));
    for (int i = 0; i < b; ++i)
        q[i][i] = 1.0;
    for (int sweep = 0; sweep < kMostSweeps && !Diagonal(a); ++sweep) {
        for (int p = 0; p < b; ++p) {
            for (int r = p + 1; r < b; ++r) {
                if (a[p][r] == 0.0)
                    continue;
                const double theta = (a[r][r] - a[p][p]) / (2.0 * a[p][r]);
                const double t = std::copysign(1.0, theta) /
                                 (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
                RotateColumns(a, p, r, c, s);
                RotateRows(a, p, r, c, s);
                RotateColumns(q, p, r, c, s);
            }
        }
    }
    std::vector<int> order(b);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int i, int j) { return a[i][i] < a[j][j]; });
    values.resize(b);
    DenseMatrix sorted(b, std::vector<double>(b));
    for (int c = 0; c < b; ++c) {
        values[c] = a[order[c]][order[c]];
        for (int k = 0; k < b; ++k)
            sorted[k][c] = q[k][order[c]];
    }
    q = std::move(sorted);
}
