// Shift-invert Lanczos with the band elimination as the shifted solve.
#include "solver/ShiftInvertLanczos.h"

#include <Spectra/SymGEigsShiftSolver.h>

#include <algorithm>
#include <cmath>

#include "solver/MeshOperator.h"
#include "solver/ShiftedFactor.h"
#include "solver/SizedRecord.h"
#include "solver/SparseFactor.h"

namespace {

// The free nodes of the mesh, in node order: the unknowns of the pencil.
std::vector<int> FreeNodes(const MeshOperator& mesh)
{
    std::vector<int> free;
    for (int n = 1; n <= mesh.Nodes(); ++n)
        if (!mesh.Fixed(n))
            free.push_back(n);
    return free;
}

// The constrained system alpha^2 M - K of the mesh, factored by the sparse LDL^T, whose solves
// are cheaper than the band's on the large meshes Lanczos is for; its pivots count as the
// band's do.
class SparseShift {
public:
    SparseShift(std::int32_t divX, std::int32_t divY) : m_record(divX, divY)
    {
        m_record.BuildBoundaryTable();
    }
    // The inertia of the factors at alpha.
    BandInertia FactorAt(double alpha)
    {
        m_record.m_dAlpha = alpha;
        m_record.ZeroSystem();
        m_record.AssembleElements();
        m_record.ApplyBoundary();
        return m_factor.Factor(m_record);
    }
    // The resonances below the last alpha factored at, from its inertia.
    std::int32_t Below(const BandInertia& inertia) const
    {
        return ResonancesBelow(m_record, inertia);
    }
    void Solve(NodeVector& b) const { m_factor.Solve(b.data()); }

private:
    SizedRecord m_record;
    SparseFactor m_factor;
};

// y = (K - sigma M)^-1 x on the free nodes, with the factors of the constrained system
// alpha^2 M - K at alpha = sqrt(sigma): its solve gives -(K - sigma M)^-1.
class ShiftedSolve {
public:
    using Scalar = double;
    ShiftedSolve(const MeshOperator& mesh, const std::vector<int>& free, SparseShift& shift)
        : m_mesh(mesh), m_free(free), m_shift(shift)
    {
    }
    Eigen::Index rows() const { return static_cast<Eigen::Index>(m_free.size()); }
    Eigen::Index cols() const { return rows(); }
    void set_shift(double sigma) { m_good = m_shift.FactorAt(std::sqrt(sigma)).firstBadRow == 0; }
    bool Good() const { return m_good; }
    void perform_op(const double* x, double* y) const
    {
        NodeVector b(m_mesh.Nodes() + 1, 0.0);
        for (std::size_t k = 0; k < m_free.size(); ++k)
            b[m_free[k]] = x[k];
        m_shift.Solve(b);
        for (std::size_t k = 0; k < m_free.size(); ++k)
            y[k] = -b[m_free[k]];
    }

private:
    const MeshOperator& m_mesh;
    const std::vector<int>& m_free;
    SparseShift& m_shift;
    bool m_good = false;
};

// y = M x on the free nodes.
class MassProduct {
public:
    using Scalar = double;
    MassProduct(const MeshOperator& mesh, const std::vector<int>& free)
        : m_mesh(mesh), m_free(free)
    {
    }
    Eigen::Index rows() const { return static_cast<Eigen::Index>(m_free.size()); }
    Eigen::Index cols() const { return rows(); }
    void perform_op(const double* x, double* y) const
    {
        NodeVector v(m_mesh.Nodes() + 1, 0.0), mv;
        for (std::size_t k = 0; k < m_free.size(); ++k)
            v[m_free[k]] = x[k];
        m_mesh.Apply(0.0, 1.0, v, mv);
        for (std::size_t k = 0; k < m_free.size(); ++k)
            y[k] = mv[m_free[k]];
    }

private:
    const MeshOperator& m_mesh;
    const std::vector<int>& m_free;
};

}  // namespace

std::optional<std::vector<double>> LanczosResonances(const ResonanceSearch& search,
                                                     std::int32_t n)
{
    const MeshOperator mesh(search.divX, search.divY, false);
    const std::vector<int> free = FreeNodes(mesh);
    const auto unknowns = static_cast<Eigen::Index>(free.size());
    // Lanczos needs a few more vectors than values, and fewer than the unknowns.
    if (unknowns < n + 3)
        return std::nullopt;
    SparseShift shift(search.divX, search.divY);
    ShiftedSolve op(mesh, free, shift);
    MassProduct mass(mesh, free);
    const Eigen::Index ncv = std::min<Eigen::Index>(unknowns - 1, std::max(2 * n + 1, n + 20));
    Spectra::SymGEigsShiftSolver<ShiftedSolve, MassProduct, Spectra::GEigsMode::ShiftInvert>
        solver(op, mass, n, ncv, 0.0);
    solver.init();
    solver.compute(Spectra::SortRule::LargestMagn, 1000, 1e-13);
    if (!op.Good() || solver.info() != Spectra::CompInfo::Successful)
        return std::nullopt;
    const Eigen::VectorXd lambda = solver.eigenvalues();
    std::vector<double> alphas;
    for (Eigen::Index k = 0; k < lambda.size(); ++k) {
        if (!(lambda[k] > 0.0))
            return std::nullopt;
        alphas.push_back(std::sqrt(lambda[k]));
    }
    std::sort(alphas.begin(), alphas.end());
    // The inertia: exactly n - 1 resonances lie below the last, n at least just above it, so
    // that none is missing below it.
    const double last = alphas.back();
    const BandInertia below = shift.FactorAt(last * (1.0 - 1e-9));
    if (below.firstBadRow != 0 || shift.Below(below) > n - 1)
        return std::nullopt;
    const BandInertia above = shift.FactorAt(last * (1.0 + 1e-9));
    if (above.firstBadRow != 0 || shift.Below(above) < n)
        return std::nullopt;
    return alphas;
}
