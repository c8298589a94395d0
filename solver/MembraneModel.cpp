// Boundary table, assembly, boundary conditions and band solve of the membrane record.
// Every loop runs in the order that fixes the rounding of the results; do not reorder.
#include "solver/MembraneModel.h"

#include <cmath>

#include "solver/BandElimination.h"
#include "solver/ElementCoefficients.h"

namespace {

// The largest indices the stages reach on the largest mesh stay inside the capacities: the
// upper right corner n3 of the last element is the last node, and n3 - n1 fixes the band.
constexpr int kLastElement = MembraneModel::kMaxDivX * MembraneModel::kMaxDivY;
constexpr int kLastN1 = kLastElement + (kLastElement - 1) / MembraneModel::kMaxDivY;
constexpr int kLastN3 = kLastN1 + MembraneModel::kMaxDivY + 2;
static_assert(kLastN3 == MembraneModel::kMaxNode && kLastN3 < MembraneModel::kNodeCap);
static_assert(1 + (kLastN3 - kLastN1) == MembraneModel::kMaxBand);
static_assert(MembraneModel::kMaxBand < MembraneModel::kBandCap);
static_assert(MembraneModel::kMaxBound < MembraneModel::kBoundCap);

}  // namespace

void MembraneModel::DeriveCounts()
{
    m_nNode = (m_nDivY + 1) * (m_nDivX + 1);
    m_nElem = m_nDivX * m_nDivY;
    m_nBand = m_nDivY + 3;
    m_nBound = 2 * (m_nDivX + m_nDivY);
}

void MembraneModel::BuildBoundaryTable()
{
    const int step = m_nDivY + 1;
    int e = 0;

    // 1. Left edge, rows 0..m_nDivY: fixed 1.0.
    for (int n = 1; n <= step; ++n) {
        ++e;
        m_bndNode[e] = n;
        m_bndKind[e] = BND_FIXED;
        m_bndValue[e] = 1.0;
    }
    // 2. Bottom edge without the corners: natural 0.0.
    for (int n = m_nDivY + 2; n <= step * (m_nDivX - 1) + 1; n += step) {
        ++e;
        m_bndNode[e] = n;
        m_bndKind[e] = BND_NATURAL;
        m_bndValue[e] = 0.0;
    }
    // 3. Right edge, rows 0..m_nDivY: fixed 0.0.
    for (int n = m_nDivX * step + 1; n <= m_nNode; ++n) {
        ++e;
        m_bndNode[e] = n;
        m_bndKind[e] = BND_FIXED;
        m_bndValue[e] = 0.0;
    }
    // 4. Top edge without the corners: natural 0.0.
    for (int n = 2 * step; n <= step * m_nDivX; n += step) {
        ++e;
        m_bndNode[e] = n;
        m_bndKind[e] = BND_NATURAL;
        m_bndValue[e] = 0.0;
    }

    // Centre peak: raise the middle of the left edge (entries of run 1 are its rows + 1).
    if (m_bOption == 1) {
        const int p = m_nDivY / 2;
        if (m_nDivY % 2 == 0) {
            m_bndValue[p] = 4.0;
            m_bndValue[p + 1] = 5.0;
            m_bndValue[p + 2] = 4.0;
        } else {
            m_bndValue[p + 1] = 5.0;
            m_bndValue[p + 2] = 5.0;
        }
    }
}

void MembraneModel::ZeroSystem()
{
    for (int r = 0; r <= m_nNode; ++r) {
        m_W[r] = 0.0;
        for (int c = 0; c <= m_nBand; ++c)
            m_K[r][c] = 0.0;
    }
}

void MembraneModel::AssembleElements()
{
    // Each entry of m_K receives its contributions in increasing element number.
    for (int e = 1; e <= m_nElem; ++e) {
        const int n1 = e + (e - 1) / m_nDivY;
        AddElementMatrix(n1, n1 + m_nDivY + 1, n1 + m_nDivY + 2, n1 + 1);
    }
}

void MembraneModel::AddElementMatrix(std::int32_t n1, std::int32_t n2, std::int32_t n3,
                                     std::int32_t n4)
{
    const ElementTerms e = ElementTermsOf(m_dLenX, m_dLenY, m_nDivX, m_nDivY, m_nElem);
    const double t = (m_dAlpha * m_dAlpha) * e.area;

    // alpha^2 (area/36) [4 2 1 2; 2 4 2 1; 1 2 4 2; 2 1 2 4] minus the bilinear stiffness.
    const double D = t * c9 - e.kD;   // diagonal
    const double X = e.kX + t * c18;  // neighbours along x
    const double Y = e.kY + t * c18;  // neighbours along y
    const double O = e.kO + t * c36;  // opposite corners

    const std::int32_t node[4] = {n1, n2, n3, n4};
    const double value[4][4] = {
        {D, X, O, Y},
        {X, D, Y, O},
        {O, Y, D, X},
        {Y, O, X, D},
    };

    // A pair of distinct corners is added once, in the row of its smaller node number.
    for (int p = 0; p < 4; ++p) {
        const std::int32_t P = node[p];
        for (int q = 0; q < 4; ++q) {
            const std::int32_t Q = node[q];
            if (p == q)
                m_K[P][1] = D + m_K[P][1];
            else if (P < Q)
                m_K[P][1 + Q - P] = value[p][q] + m_K[P][1 + Q - P];
        }
    }
}

void MembraneModel::ApplyBoundary()
{
    // Pass 1: move every non-zero prescribed value to the right-hand side, working on the
    // matrix exactly as assembled.
    for (int e = 1; e <= m_nBound; ++e) {
        if (m_bndKind[e] == BND_NATURAL || m_bndValue[e] == 0.0)
            continue;
        const int n = m_bndNode[e];
        const double v = m_bndValue[e];
        for (int d = 1; d <= m_nBand - 1; ++d) {
            const int r = n - d;
            if (r < 1)
                break;
            m_W[r] = m_W[r] - m_K[r][1 + d] * v;  // A(r, n), stored in row r
        }
        for (int d = 1; d <= m_nBand - 1; ++d) {
            const int r = n + d;
            if (r > m_nNode)
                break;
            m_W[r] = m_W[r] - m_K[n][1 + d] * v;  // A(n, r), stored in row n
        }
    }

    // Pass 2: impose the entries; a prescribed node gets the row and column of the identity.
    for (int e = 1; e <= m_nBound; ++e) {
        const int n = m_bndNode[e];
        const double v = m_bndValue[e];
        if (m_bndKind[e] == BND_NATURAL) {
            m_W[n] = m_W[n] - v;
            continue;
        }
        m_W[n] = v;
        m_K[n][1] = 1.0;
        for (int d = 1; d <= m_nBand - 1; ++d) {
            m_K[n][1 + d] = 0.0;
            if (n - d >= 1)
                m_K[n - d][1 + d] = 0.0;
        }
    }
}

void MembraneModel::FactorBand()
{
    EliminateBand(*this, false, ActiveEliminationForm());
}

void MembraneModel::SolveBand()
{
    SolveBandIn(*this, ActiveEliminationForm());
}

BandInertia MembraneModel::PivotInertia() const
{
    BandInertia inertia;
    for (int i = 1; i <= m_nNode; ++i) {
        const double pivot = m_K[i][1];
        if (pivot > 0.0)
            ++inertia.positive;
        else if (pivot < 0.0)
            ++inertia.negative;
        else if (pivot == 0.0)
            ++inertia.zero;
        if (inertia.firstBadRow == 0 && !(pivot != 0.0 && std::isfinite(pivot)))
            inertia.firstBadRow = i;
    }
    return inertia;
}
