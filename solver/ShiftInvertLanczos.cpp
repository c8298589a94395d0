// Shift-invert Lanczos with the sparse LDL^T as the shifted solve.
#include "solver/ShiftInvertLanczos.h"

#include <Eigen/SparseCore>
#include <Spectra/SymGEigsShiftSolver.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "solver/MeshOperator.h"
#include "solver/ModeShape.h"
#include "solver/ShiftedFactor.h"
#include "solver/SizedRecord.h"
#include "solver/Factorisation.h"
#include "solver/SubspaceIteration.h"
#include "solver/WorkThreads.h"

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
    SparseShift(std::int32_t divX, std::int32_t divY, Scheme scheme)
        : m_record(divX, divY), m_factor(MakeFactorisation(SolverForm::Sparse))
    {
        m_record.m_scheme = scheme;
        m_record.BuildBoundaryTable();
    }
    // The inertia of the factors at alpha.
    BandInertia FactorAt(double alpha)
    {
        m_record.m_dAlpha = alpha;
        m_record.ZeroSystem();
        m_record.AssembleElements();
        m_record.ApplyBoundary();
        return m_factor->Factor(m_record);
    }
    // The resonances below the last alpha factored at, from its inertia.
    std::int32_t Below(const BandInertia& inertia) const
    {
        return ResonancesBelow(m_record, inertia);
    }
    void Solve(NodeVector& b) { m_factor->Solve(m_record, b.data()); }

private:
    SizedRecord m_record;
    std::unique_ptr<Factorisation> m_factor;
};

// y = (K - sigma M)^-1 x on the free nodes, with the factors of the constrained system
// alpha^2 M - K at alpha = sqrt(sigma): its solve gives -(K - sigma M)^-1.
class ShiftedSolve {
public:
    using Scalar = double;
    ShiftedSolve(const MeshOperator& mesh, const std::vector<int>& free, SparseShift& shift)
        : m_free(free), m_shift(shift), m_nodes(mesh.Nodes() + 1, 0.0)
    {
    }
    Eigen::Index rows() const { return static_cast<Eigen::Index>(m_free.size()); }
    Eigen::Index cols() const { return rows(); }
    void set_shift(double sigma) { m_good = m_shift.FactorAt(std::sqrt(sigma)).firstBadRow == 0; }
    bool Good() const { return m_good; }
    // The fixed nodes of the buffer stay 0: their rows and columns are the identity's.
    void perform_op(const double* x, double* y) const
    {
        for (std::size_t k = 0; k < m_free.size(); ++k)
            m_nodes[m_free[k]] = x[k];
        m_shift.Solve(m_nodes);
        for (std::size_t k = 0; k < m_free.size(); ++k)
            y[k] = -m_nodes[m_free[k]];
    }

private:
    const std::vector<int>& m_free;
    SparseShift& m_shift;
    mutable NodeVector m_nodes;
    bool m_good = false;
};

// y = M x on the free nodes, M assembled once from the mesh's element terms.
class MassProduct {
public:
    using Scalar = double;
    MassProduct(const MeshOperator& mesh, const std::vector<int>& free)
        : m_mass(static_cast<Eigen::Index>(free.size()), static_cast<Eigen::Index>(free.size()))
    {
        std::vector<int> index(mesh.Nodes() + 1, -1);  // a free node's place among the free
        for (std::size_t k = 0; k < free.size(); ++k)
            index[free[k]] = static_cast<int>(k);
        std::vector<Eigen::Triplet<double, int>> entries;
        for (const MeshOperator::Term& t : mesh.Terms(0.0, 1.0))
            if (index[t.row] >= 0 && index[t.col] >= 0)
                entries.emplace_back(index[t.row], index[t.col], t.value);
        m_mass.setFromTriplets(entries.begin(), entries.end());
    }
    Eigen::Index rows() const { return m_mass.rows(); }
    Eigen::Index cols() const { return rows(); }
    void perform_op(const double* x, double* y) const
    {
        Eigen::Map<Eigen::VectorXd>(y, rows()) =
            m_mass * Eigen::Map<const Eigen::VectorXd>(x, rows());
    }

private:
    Eigen::SparseMatrix<double, Eigen::RowMajor, int> m_mass;
};

// Whether the inertia proves alphas (increasing) the lowest: exactly n - 1 resonances lie below
// a hair under the last, and n at least below a hair over it. The two factorisations run side
// by side where there are threads for them; the shift's own record takes the first.
bool InertiaConfirms(const ResonanceSearch& search, SparseShift& shift,
                     const std::vector<double>& alphas)
{
    const double last = alphas.back();
    const auto n = static_cast<std::int32_t>(alphas.size());
    bool confirmed[2] = {false, false};
    OnThreads(search.threads, 2, [&](int t) {
        std::optional<SparseShift> own;
        SparseShift& s = t == 0 ? shift : own.emplace(search.divX, search.divY, search.scheme);
        for (int side = t; side < 2; side += std::max(search.threads, 1)) {
            const BandInertia inertia = s.FactorAt(last * (side == 0 ? 1.0 - 1e-9 : 1.0 + 1e-9));
            confirmed[side] = inertia.firstBadRow == 0 &&
                              (side == 0 ? s.Below(inertia) <= n - 1 : s.Below(inertia) >= n);
        }
    });
    return confirmed[0] && confirmed[1];
}

}  // namespace

bool InertiaProvesLowest(const ResonanceSearch& search, const std::vector<double>& alphas)
{
    SparseShift shift(search.divX, search.divY, search.scheme);
    return InertiaConfirms(search, shift, alphas);
}

namespace {

// The n lowest resonances and, where asked, their shapes over every node, M-orthonormal, 0 on
// the fixed nodes; nothing where Lanczos does not converge or the inertia does not confirm.
struct LowestPairs {
    std::vector<double> alphas;
    std::vector<NodeVector> phi;
};

std::optional<LowestPairs> LowestPairsOf(const ResonanceSearch& search, const MeshOperator& mesh,
                                         std::int32_t n, bool withShapes)
{
    const std::vector<int> free = FreeNodes(mesh);
    const auto unknowns = static_cast<Eigen::Index>(free.size());
    // Lanczos needs a few more vectors than values, and fewer than the unknowns.
    if (unknowns < n + 3)
        return std::nullopt;
    SparseShift shift(search.divX, search.divY, search.scheme);
    ShiftedSolve op(mesh, free, shift);
    MassProduct mass(mesh, free);
    const Eigen::Index ncv = std::min<Eigen::Index>(unknowns - 1, std::max(2 * n + 1, n + 20));
    Spectra::SymGEigsShiftSolver<ShiftedSolve, MassProduct, Spectra::GEigsMode::ShiftInvert>
        solver(op, mass, n, ncv, 0.0);
    solver.init();
    // Increasing lambda: the largest 1 / lambda first.
    solver.compute(Spectra::SortRule::LargestMagn, 1000, 1e-13, Spectra::SortRule::SmallestAlge);
    if (!op.Good() || solver.info() != Spectra::CompInfo::Successful)
        return std::nullopt;
    const Eigen::VectorXd lambda = solver.eigenvalues();
    LowestPairs pairs;
    for (Eigen::Index k = 0; k < lambda.size(); ++k) {
        if (!(lambda[k] > 0.0) || (k > 0 && lambda[k] < lambda[k - 1]))
            return std::nullopt;
        pairs.alphas.push_back(std::sqrt(lambda[k]));
    }
    if (!InertiaConfirms(search, shift, pairs.alphas))
        return std::nullopt;
    if (withShapes) {
        const Eigen::MatrixXd vectors = solver.eigenvectors();
        for (Eigen::Index k = 0; k < vectors.cols(); ++k) {
            NodeVector& phi = pairs.phi.emplace_back(mesh.Nodes() + 1, 0.0);
            for (std::size_t f = 0; f < free.size(); ++f)
                phi[free[f]] = vectors(static_cast<Eigen::Index>(f), k);
        }
    }
    return pairs;
}

}  // namespace

std::optional<std::vector<double>> LanczosResonances(const ResonanceSearch& search,
                                                     std::int32_t n)
{
    const MeshOperator mesh(search.divX, search.divY, false, search.scheme);
    std::optional<LowestPairs> pairs = LowestPairsOf(search, mesh, n, false);
    if (!pairs)
        return std::nullopt;
    return std::move(pairs->alphas);
}

std::optional<std::vector<ModeShape>> LanczosShapes(const ResonanceSearch& search, bool option,
                                                    std::int32_t first, std::int32_t last)
{
    const MeshOperator mesh(search.divX, search.divY, option, search.scheme);
    const std::int32_t count = ResonanceCount(search.divX, search.divY);
    // A few resonances beyond the last, and more until the last's cluster ends among them.
    for (std::int32_t n = std::min(count, last + 4);; n = std::min(count, 2 * n)) {
        std::optional<LowestPairs> pairs = LowestPairsOf(search, mesh, n, true);
        if (!pairs)
            return std::nullopt;
        const auto clusters = Clusters(pairs->alphas);
        const auto& lastCluster = *std::find_if(clusters.begin(), clusters.end(), [&](auto c) {
            return static_cast<std::int32_t>(c.second) >= last;
        });
        if (static_cast<std::int32_t>(lastCluster.second) == n && n < count)
            continue;
        std::vector<ModeShape> shapes;
        for (const auto& [begin, end] : clusters) {
            if (static_cast<std::int32_t>(end) < first || static_cast<std::int32_t>(begin) >= last)
                continue;
            const auto b = static_cast<std::ptrdiff_t>(begin), e = static_cast<std::ptrdiff_t>(end);
            for (ModeShape& s : ClusterOfShapes(
                     mesh, static_cast<std::int32_t>(begin) + 1,
                     std::vector<double>(pairs->alphas.begin() + b, pairs->alphas.begin() + e),
                     std::vector<NodeVector>(std::make_move_iterator(pairs->phi.begin() + b),
                                             std::make_move_iterator(pairs->phi.begin() + e))))
                if (s.index >= first && s.index <= last)
                    shapes.push_back(std::move(s));
        }
        return shapes;
    }
}
