// The stages of a record, written once for every kind of record: the dialog's MembraneModel with
// its fixed capacities and a SizedRecord whose storage is sized to its mesh. Both name their
// fields alike (m_K[r][c], m_W[n], ...), so the same loops run on both, in the same order, and
// leave the same bits. Every loop runs in the order that fixes the rounding of the results; do
// not reorder. Included only by the files that instantiate the stages for a kind of record.
#pragma once

#include <cmath>
#include <cstdint>

#include "solver/Element.h"
#include "solver/MembraneModel.h"

namespace record_stages {

template <class R>
void DeriveCountsOf(R& rec)
{
    rec.m_nNode = (rec.m_nDivY + 1) * (rec.m_nDivX + 1);
    rec.m_nElem = rec.m_nDivX * rec.m_nDivY;
    rec.m_nBand = rec.m_nDivY + 3;
    rec.m_nBound = 2 * (rec.m_nDivX + rec.m_nDivY);
}

template <class R>
void BuildBoundaryTableOf(R& rec)
{
    const int step = rec.m_nDivY + 1;
    int e = 0;

    // 1. Left edge, rows 0..rec.m_nDivY: fixed 1.0.
    for (int n = 1; n <= step; ++n) {
        ++e;
        rec.m_bndNode[e] = n;
        rec.m_bndKind[e] = BND_FIXED;
        rec.m_bndValue[e] = 1.0;
    }
    // 2. Bottom edge without the corners: natural 0.0.
    for (int n = rec.m_nDivY + 2; n <= step * (rec.m_nDivX - 1) + 1; n += step) {
        ++e;
        rec.m_bndNode[e] = n;
        rec.m_bndKind[e] = BND_NATURAL;
        rec.m_bndValue[e] = 0.0;
    }
    // 3. Right edge, rows 0..rec.m_nDivY: fixed 0.0.
    for (int n = rec.m_nDivX * step + 1; n <= rec.m_nNode; ++n) {
        ++e;
        rec.m_bndNode[e] = n;
        rec.m_bndKind[e] = BND_FIXED;
        rec.m_bndValue[e] = 0.0;
    }
    // 4. Top edge without the corners: natural 0.0.
    for (int n = 2 * step; n <= step * rec.m_nDivX; n += step) {
        ++e;
        rec.m_bndNode[e] = n;
        rec.m_bndKind[e] = BND_NATURAL;
        rec.m_bndValue[e] = 0.0;
    }

    // Centre peak: raise the middle of the left edge (entries of run 1 are its rows + 1).
    if (rec.m_bOption == 1) {
        const int p = rec.m_nDivY / 2;
        if (rec.m_nDivY % 2 == 0) {
            rec.m_bndValue[p] = 4.0;
            rec.m_bndValue[p + 1] = 5.0;
            rec.m_bndValue[p + 2] = 4.0;
        } else {
            rec.m_bndValue[p + 1] = 5.0;
            rec.m_bndValue[p + 2] = 5.0;
        }
    }
}

template <class R>
void ZeroSystemOf(R& rec)
{
    for (int r = 0; r <= rec.m_nNode; ++r) {
        rec.m_W[r] = 0.0;
        for (int c = 0; c <= rec.m_nBand; ++c)
            rec.m_K[r][c] = 0.0;
    }
}

template <class R>
void AddElementMatrixTo(R& rec, std::int32_t n1, std::int32_t n2, std::int32_t n3, std::int32_t n4)
{
    const ElementTerms e = ElementTermsOf(rec.m_dLenX, rec.m_dLenY, rec.m_nDivX, rec.m_nDivY,
                                          rec.m_nElem, SchemeOfRecord(rec));
    const double t = (rec.m_dAlpha * rec.m_dAlpha) * e.area;

    // alpha^2 M minus the bilinear stiffness; with the standard scheme
    // M = (area/36) [4 2 1 2; 2 4 2 1; 1 2 4 2; 2 1 2 4].
    const double D = t * e.mD - e.kD;  // diagonal
    const double X = e.kX + t * e.mX;  // neighbours along x
    const double Y = e.kY + t * e.mY;  // neighbours along y
    const double O = e.kO + t * e.mO;  // opposite corners

    const std::int32_t node[4] = {n1, n2, n3, n4};
    const LocalMatrix local = LocalMatrixOf(D, X, Y, O);

    // A pair of distinct corners is added once, in the row of its smaller node number.
    for (int p = 0; p < 4; ++p) {
        const std::int32_t P = node[p];
        for (int q = 0; q < 4; ++q) {
            const std::int32_t Q = node[q];
            if (p == q)
                rec.m_K[P][1] = D + rec.m_K[P][1];
            else if (P < Q)
                rec.m_K[P][1 + Q - P] = local.value[p][q] + rec.m_K[P][1 + Q - P];
        }
    }
}

template <class R>
void AssembleElementsOf(R& rec)
{
    // Each entry of m_K receives its contributions in increasing element number.
    for (int e = 1; e <= rec.m_nElem; ++e) {
        const ElementNodes n = ElementNodesOf(e, rec.m_nDivY);
        AddElementMatrixTo(rec, n.node[0], n.node[1], n.node[2], n.node[3]);
    }
}

template <class R>
void ApplyBoundaryOf(R& rec)
{
    // Pass 1: move every non-zero prescribed value to the right-hand side, working on the
    // matrix exactly as assembled.
    for (int e = 1; e <= rec.m_nBound; ++e) {
        if (rec.m_bndKind[e] == BND_NATURAL || rec.m_bndValue[e] == 0.0)
            continue;
        const int n = rec.m_bndNode[e];
        const double v = rec.m_bndValue[e];
        for (int d = 1; d <= rec.m_nBand - 1; ++d) {
            const int r = n - d;
            if (r < 1)
                break;
            rec.m_W[r] = rec.m_W[r] - rec.m_K[r][1 + d] * v;  // A(r, n), stored in row r
        }
        for (int d = 1; d <= rec.m_nBand - 1; ++d) {
            const int r = n + d;
            if (r > rec.m_nNode)
                break;
            rec.m_W[r] = rec.m_W[r] - rec.m_K[n][1 + d] * v;  // A(n, r), stored in row n
        }
    }

    // Pass 2: impose the entries; a prescribed node gets the row and column of the identity.
    for (int e = 1; e <= rec.m_nBound; ++e) {
        const int n = rec.m_bndNode[e];
        const double v = rec.m_bndValue[e];
        if (rec.m_bndKind[e] == BND_NATURAL) {
            rec.m_W[n] = rec.m_W[n] - v;
            continue;
        }
        rec.m_W[n] = v;
        rec.m_K[n][1] = 1.0;
        for (int d = 1; d <= rec.m_nBand - 1; ++d) {
            rec.m_K[n][1 + d] = 0.0;
            if (n - d >= 1)
                rec.m_K[n - d][1 + d] = 0.0;
        }
    }
}

template <class R>
BandInertia PivotInertiaOf(const R& rec)
{
    BandInertia inertia;
    for (int i = 1; i <= rec.m_nNode; ++i) {
        const double pivot = rec.m_K[i][1];
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

}  // namespace record_stages
