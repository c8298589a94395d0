// The operators of the eigen side, from the boundary table and the element terms that the
// record's own stages use.
#include "solver/MeshOperator.h"

#include <algorithm>
#include <cmath>

#include "solver/BoundaryTable.h"
#include "solver/Element.h"
#include "solver/MembraneModel.h"

MeshOperator::MeshOperator(std::int32_t divX, std::int32_t divY, bool option, Scheme scheme)
    : m_scheme(scheme), m_divX(divX), m_divY(divY)
{
    const BoundaryTable table = BoundaryTableOf(divX, divY, option);
    m_nodes = table.m_nNode;
    m_fixed.assign(m_nodes + 1, 0);
    m_load.assign(m_nodes + 1, 0.0);
    for (int e = 1; e <= table.m_nBound; ++e) {
        if (table.m_bndKind[e] == BND_NATURAL)
            continue;
        m_fixed[table.m_bndNode[e]] = 1;
        m_load[table.m_bndNode[e]] = table.m_bndValue[e];
    }
    m_freeNodes = static_cast<std::size_t>(std::count(m_fixed.begin() + 1, m_fixed.end(), 0));

    const ElementTerms e = ElementTermsOf(MembraneModel::kLenX, MembraneModel::kLenY, divX, divY,
                                          divX * divY, scheme);
    m_entries = {e.kD,           -e.kX,          -e.kY,          -e.kO,
                 e.area * e.mD, e.area * e.mX, e.area * e.mY, e.area * e.mO};
    // Every node lies in four elements at most.
    m_stiffnessNorm = 4.0 * (std::fabs(m_entries.kD) + std::fabs(m_entries.kX) +
                             std::fabs(m_entries.kY) + std::fabs(m_entries.kO));
}

template <class Visit>
void MeshOperator::ForEachTerm(double kWeight, double mWeight, const Visit& visit) const
{
    const Entries& t = m_entries;
    const double D = kWeight * t.kD + mWeight * t.mD;
    const double X = kWeight * t.kX + mWeight * t.mX;
    const double Y = kWeight * t.kY + mWeight * t.mY;
    const double O = kWeight * t.kO + mWeight * t.mO;
    const LocalMatrix local = LocalMatrixOf(D, X, Y, O);
    const int elements = m_divX * m_divY;
    for (int el = 1; el <= elements; ++el) {
        const ElementNodes n = ElementNodesOf(el, m_divY);
        for (int p = 0; p < 4; ++p)
            for (int q = 0; q < 4; ++q)
                visit(n.node[p], n.node[q], local.value[p][q]);
    }
}

void MeshOperator::Apply(double kWeight, double mWeight, const NodeVector& x, NodeVector& y) const
{
    y.assign(x.size(), 0.0);
    ForEachTerm(kWeight, mWeight, [&](int p, int q, double e) { y[p] += e * x[q]; });
}

std::vector<MeshOperator::Term> MeshOperator::Terms(double kWeight, double mWeight) const
{
    std::vector<Term> terms;
    terms.reserve(static_cast<std::size_t>(m_divX) * static_cast<std::size_t>(m_divY) * 16);
    ForEachTerm(kWeight, mWeight, [&](int p, int q, double e) { terms.push_back({p, q, e}); });
    return terms;
}

void MeshOperator::ZeroFixed(NodeVector& v) const
{
    for (int n = 1; n <= m_nodes; ++n)
        if (m_fixed[n])
            v[n] = 0.0;
}

double MeshOperator::Dot(const NodeVector& a, const NodeVector& b)
{
    double sum = 0.0;
    for (std::size_t n = 1; n < a.size(); ++n)
        sum += a[n] * b[n];
    return sum;
}
