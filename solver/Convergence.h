// The numerics of a convergence study against the membrane itself: the continuum's solution
// with the option off and its resonances, a Gauss rule, the error norms of a mesh's solution,
// the observed orders of a table of errors, and the discrete dispersion of a line of elements.
// The continuum on the record's domain, kLenX x kLenY:
//   w(x, y) = sin(alpha (kLenX - x)) / sin(kLenX alpha),
// 1 on the left edge, 0 on the right, top and bottom free; its resonances
//   pi sqrt((kx / kLenX)^2 + (ky / kLenY)^2).
#pragma once

#include <cstdint>
#include <vector>

#include "solver/Element.h"

struct StudyMesh {
    std::int32_t divX;
    std::int32_t divY;
};

// The element's size, the larger of its sides, and the points per wavelength 2 pi / (alpha h).
double MeshSize(const StudyMesh& mesh);
double PointsPerWavelength(const StudyMesh& mesh, double alpha);

// The order the errors e0 on the mesh of size h0 and e1 on h1 show: log(e0 / e1) / log(h0 / h1);
// NaN where an error is 0.
double ObservedOrder(double e0, double h0, double e1, double h1);

// The rows of a study, collected first; then the orders of every column evaluated once, each row
// against the row before it in the same series (a resonance, or the one solution); then read.
class ConvergenceTable {
public:
    struct Row {
        int series;
        double h;
        std::vector<double> errors;
        std::vector<double> orders;  // NaN where there is no row before in the series
    };
    void Add(int series, double h, std::vector<double> errors);
    void EvaluateOrders();
    const std::vector<Row>& Rows() const { return m_rows; }

private:
    std::vector<Row> m_rows;
};

// The points and weights of the n-point Gauss-Legendre rule on [-1, 1].
struct GaussRule {
    std::vector<double> points;
    std::vector<double> weights;
};
GaussRule GaussLegendre(int n);

// The continuum's solution at alpha, the option off, and its derivative along x.
struct ContinuumSolution {
    double alpha;
    double w(double x) const;
    double dw(double x) const;
};

// The continuum's resonance with kx half-waves along x and ky along y.
double ContinuumResonance(std::int32_t kx, std::int32_t ky);
struct ContinuumMode {
    double alpha;
    std::int32_t kx, ky;
};
// The n lowest, by increasing alpha, then kx, then ky.
std::vector<ContinuumMode> LowestContinuumModes(std::int32_t n);

// How far the values w (w[1..nodes], node order) of a mesh are from the continuum's solution.
struct FieldErrors {
    double maxNodal;  // the largest |w_h - w| at the nodes
    double l2;        // || w_h - w ||, over the domain
    double h1;        // | w_h - w |_1, the seminorm: || grad (w_h - w) ||
};
// The integrals take a Gauss rule of kGaussX points along x and kGaussY along y in every
// element (see the source for why that is fine enough).
FieldErrors ErrorsAgainstContinuum(const StudyMesh& mesh, const double* w,
                                   const ContinuumSolution& exact);

// The relative phase error |k h / (alpha h) - 1| of the discrete wave of a line of elements at
// alpha h = t, from its dispersion relation: cos(k h) = (6 - 2 t^2) / (6 + t^2) for the
// standard scheme, (12 - 5 t^2) / (12 + t^2) for the low-dispersion one; infinite where no
// discrete wave propagates.
double PhaseError(double t, Scheme scheme = Scheme::Standard);
// The largest alpha h whose phase error stays under `tolerance`.
double LargestResolvedStep(double tolerance, Scheme scheme = Scheme::Standard);
