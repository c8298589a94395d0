// The operators of the eigen side, from the boundary table and the element terms that the
// record's own stages use.
#include "solver/MeshOperator.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "solver/ElementCoefficients.h"
#include "solver/SizedRecord.h"

MeshOperator::MeshOperator(std::int32_t divX, std::int32_t divY, bool option)
    : m_divX(divX), m_divY(divY)
{
    const auto record = std::make_unique<SizedRecord>(divX, divY);
    record->m_bOption = option ? 1 : 0;
    record->BuildBoundaryTable();
    m_nodes = record->m_nNode;
    m_fixed.assign(m_nodes + 1, 0);
    m_load.assign(m_nodes + 1, 0.0);
    for (int e = 1; e <= record->m_nBound; ++e) {
        if (record->m_bndKind[e] == BND_NATURAL)
            continue;
        m_fixed[record->m_bndNode[e]] = 1;
        m_load[record->m_bndNode[e]] = record->m_bndValue[e];
    }
    m_freeNodes = static_cast<std::size_t>(std::count(m_fixed.begin() + 1, m_fixed.end(), 0));

    const ElementTerms e =
        ElementTermsOf(record->m_dLenX, record->m_dLenY, divX, divY, record->m_nElem);
    m_entries = {e.kD,          -e.kX,          -e.kY,          -e.kO,
                 e.area * c9, e.area * c18, e.area * c18, e.area * c36};
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
    const double e[4][4] = {{D, X, O, Y}, {X, D, Y, O}, {O, Y, D, X}, {Y, O, X, D}};
    const int elements = m_divX * m_divY;
    for (int el = 1; el <= elements; ++el) {
        const int n1 = el + (el - 1) / m_divY;
        const int node[4] = {n1, n1 + m_divY + 1, n1 + m_divY + 2, n1 + 1};
        for (int p = 0; p < 4; ++p)
            for (int q = 0; q < 4; ++q)
                visit(node[p], node[q], e[p][q]);
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
