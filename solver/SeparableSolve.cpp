// Fast diagonalisation of the grid's system with FFTW's real-to-real transforms: RODFT00 is the
// DST-I of the sines along x, REDFT00 the DCT-I of the cosines along y, and each is its own
// inverse up to its logical size, 2 divX and 2 divY.
#include "solver/SeparableSolve.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <vector>


namespace {

// FFTW's planner is not thread-safe, its plans' execution is: threads that solve side by side
// plan one at a time.
std::mutex& PlannerLock()
{
    static std::mutex lock;
    return lock;
}

// A plan of the two transforms over the free nodes, which lie in place in w.
class SeparablePlan {
public:
    SeparablePlan(int columns, int rows, double* data)
    {
        const std::lock_guard<std::mutex> hold(PlannerLock());
        m_plan = fftw_plan_r2r_2d(columns, rows, data, data, FFTW_RODFT00, FFTW_REDFT00,
                                  FFTW_ESTIMATE);
    }
    ~SeparablePlan()
    {
        const std::lock_guard<std::mutex> hold(PlannerLock());
        fftw_destroy_plan(m_plan);
    }
    SeparablePlan(const SeparablePlan&) = delete;
    SeparablePlan& operator=(const SeparablePlan&) = delete;
    void Run() const { fftw_execute(m_plan); }

private:
    fftw_plan m_plan;
};

// One line of elements of size h: its mass h [a b; b a] of the scheme and its stiffness
// (1/h) [1 -1; -1 1], and their eigenvalues for the sampled sine or cosine of angle t. The
// stiffness's 1 - cos t is written 2 sin^2(t/2), which keeps its digits for the longest waves
// of a fine mesh, where 1 - cos t would cancel.
struct Line {
    double h, a, b;
    double Mass(double t) const { return 2.0 * h * (a + b * std::cos(t)); }
    double Stiffness(double t) const
    {
        const double s = std::sin(0.5 * t);
        return 4.0 / h * (s * s);
    }
};

Line LineOf(double h, Scheme scheme)
{
    if (scheme == Scheme::LowDispersion)
        return {h, 5.0 / 12.0, 1.0 / 12.0};
    return {h, 1.0 / 3.0, 1.0 / 6.0};
}

// Subtracts from the free column `to` what the system couples to it from the fixed column
// `from` (values u[0..rows-1]): alpha^2 Mx My - Kx My - Mx Ky between neighbouring columns, with
// Mx = b hx and Kx = -1/hx there, the y line's matrices free at both ends.
void MoveColumnLoad(const Line& x, const Line& y, double alpha, const double* u, double* to,
                    int rows)
{
    const double massFactor = alpha * alpha * x.b * x.h + 1.0 / x.h;
    const double stiffnessFactor = x.b * x.h;
    for (int j = 0; j < rows; ++j) {
        const bool end = j == 0 || j == rows - 1;
        const double below = j > 0 ? u[j - 1] : 0.0, above = j + 1 < rows ? u[j + 1] : 0.0;
        const double my = y.h * ((end ? y.a : 2.0 * y.a) * u[j] + y.b * (below + above));
        const double ky = ((end ? 1.0 : 2.0) * u[j] - below - above) / y.h;
        to[j] -= massFactor * my - stiffnessFactor * ky;
    }
}

// The right-hand side of the free nodes, in place in w's columns 1 .. divX - 1: the loads of the
// fixed columns moved over, the natural loads, and the end rows counted twice, since the
// cosines are eigenvectors against the line's mass with its ends at half weight.
void FreeRightHandSide(const Line& x, const Line& y, double alpha, std::int32_t divX, int rows,
                       const std::int32_t* bndNode, const std::int32_t* bndKind,
                       const double* bndValue, std::int32_t bounds, double* w)
{
    const int columns = divX - 1;
    double* free = w + 1 + rows;
    MoveColumnLoad(x, y, alpha, w + 1, free, rows);
    MoveColumnLoad(x, y, alpha, w + 1 + static_cast<std::ptrdiff_t>(divX) * rows,
                   free + static_cast<std::ptrdiff_t>(columns - 1) * rows, rows);
    for (int e = 1; e <= bounds; ++e)
        if (bndKind[e] == BND_NATURAL && bndValue[e] != 0.0) {
            const int i = (bndNode[e] - 1) / rows;
            if (i >= 1 && i <= columns)
                w[bndNode[e]] -= bndValue[e];
        }
    for (int i = 0; i < columns; ++i) {
        free[static_cast<std::ptrdiff_t>(i) * rows] *= 2.0;
        free[static_cast<std::ptrdiff_t>(i) * rows + rows - 1] *= 2.0;
    }
}

// Divides every coefficient of the transformed right-hand side by its eigenvalue, and by the
// transforms' logical sizes; counts the eigenvalues' signs into the outcome.
void DivideByTheEigenvalues(const Line& x, const Line& y, double alpha, std::int32_t divX,
                            std::int32_t divY, double* free, SeparableOutcome& done)
{
    const int columns = divX - 1, rows = divY + 1;
    std::vector<double> mx(columns), kx(columns), my(rows), ky(rows);
    for (int p = 0; p < columns; ++p) {
        const double t = M_PI * (p + 1) / divX;
        mx[p] = x.Mass(t);
        kx[p] = x.Stiffness(t);
    }
    for (int q = 0; q < rows; ++q) {
        const double t = M_PI * q / divY;
        my[q] = y.Mass(t);
        ky[q] = y.Stiffness(t);
    }
    const double scale = 1.0 / (4.0 * divX * static_cast<double>(divY));
    double smallest = HUGE_VAL, largest = 0.0;
    for (int p = 0; p < columns; ++p)
        for (int q = 0; q < rows; ++q) {
            const double d = alpha * alpha * mx[p] * my[q] - kx[p] * my[q] - mx[p] * ky[q];
            done.inertia.positive += d > 0.0;
            done.inertia.negative += d < 0.0;
            done.inertia.zero += d == 0.0;
            smallest = std::min(smallest, std::fabs(d));
            largest = std::max(largest, std::fabs(d));
            free[static_cast<std::ptrdiff_t>(p) * rows + q] *= scale / d;
        }
    done.smallestDivisor = largest > 0.0 ? smallest / largest : 0.0;
}

}  // namespace

SeparableOutcome SolveSeparable(std::int32_t divX, std::int32_t divY, double lenX, double lenY,
                                double alpha, Scheme scheme, const std::int32_t* bndNode,
                                const std::int32_t* bndKind, const double* bndValue,
                                std::int32_t bounds, double* w)
{
    const int rows = divY + 1, columns = divX - 1;
    const std::int64_t nodes = static_cast<std::int64_t>(divX + 1) * rows;
    std::fill(w, w + nodes + 1, 0.0);
    // The prescribed values first: every fixed node lies in the first or the last column.
    int fixed = 0;
    for (int e = 1; e <= bounds; ++e)
        if (bndKind[e] != BND_NATURAL) {
            w[bndNode[e]] = bndValue[e];
            ++fixed;
        }
    SeparableOutcome done;
    done.inertia.positive = fixed;
    if (columns < 1)
        return done;
    const Line x = LineOf(lenX / divX, scheme), y = LineOf(lenY / divY, scheme);
    FreeRightHandSide(x, y, alpha, divX, rows, bndNode, bndKind, bndValue, bounds, w);
    double* free = w + 1 + rows;  // columns 1 .. divX - 1, in node order
    const SeparablePlan plan(columns, rows, free);
    plan.Run();
    DivideByTheEigenvalues(x, y, alpha, divX, divY, free, done);
    plan.Run();
    return done;
}
