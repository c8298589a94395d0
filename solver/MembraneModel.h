// The problem record of the membrane solver and the operations that work on it:
// mesh numbering, boundary table, element matrix, band assembly, boundary
// conditions and band elimination. Standard C++ only.
#pragma once

#include <cstdint>

#include "solver/BandRef.h"

// Entry kinds of the boundary table.
inline constexpr std::int32_t BND_FIXED = 0;    // prescribed nodal value
inline constexpr std::int32_t BND_NATURAL = 1;  // nodal load, subtracted from the right-hand side

// The signs of the pivots after an elimination. When no pivot is zero the factors are
// U^T D U with D the pivots, so by Sylvester's law of inertia the counts are those of the
// eigenvalues of the constrained matrix.
struct BandInertia {
    std::int32_t positive = 0;
    std::int32_t negative = 0;
    std::int32_t zero = 0;
    // First row whose pivot is zero or not finite, as LAPACK's INFO; 0 when there is none, and
    // only then do the counts slice the spectrum (a NaN pivot is in no count).
    std::int32_t firstBadRow = 0;
};

// Helmholtz equation  Laplace(w) + alpha^2 w = 0  on the rectangle [0, 15] x [0, 5], bilinear
// 4-node elements on a regular grid; w = 1 on the left edge (or a raised centre peak), w = 0 on
// the right edge, natural conditions on top and bottom.
//
// Numbering is 1-based everywhere; index 0 of every array carries no entry.
// Node (i, j), column i = 0..m_nDivX, row j = 0..m_nDivY, is  n = i * (m_nDivY + 1) + j + 1.
// Element e has the corners, counter-clockwise from the lower left,
//   n1 = e + (e - 1) / m_nDivY,  n2 = n1 + m_nDivY + 1,  n3 = n1 + m_nDivY + 2,  n4 = n1 + 1.
//
// The capacities follow from the limits of an accepted mesh, 90 x 30 divisions: 91 * 31 = 2821
// nodes, 30 + 3 = 33 band columns, 2 * (90 + 30) = 240 boundary entries. Index 0 carries no
// entry, so every capacity is one more than the largest index in use.
struct MembraneModel {
    static constexpr int kMaxDivX = 90;
    static constexpr int kMaxDivY = 30;
    static constexpr int kMaxNode = (kMaxDivX + 1) * (kMaxDivY + 1);
    static constexpr int kMaxBand = kMaxDivY + 3;
    static constexpr int kMaxBound = 2 * (kMaxDivX + kMaxDivY);
    static constexpr int kNodeCap = kMaxNode + 1;
    static constexpr int kBandCap = kMaxBand + 1;
    static constexpr int kBoundCap = kMaxBound + 1;
    // The domain, fixed: [0, kLenX] x [0, kLenY].
    static constexpr double kLenX = 15.0;
    static constexpr double kLenY = 5.0;

    std::int32_t m_nDivX = 0;   // divisions along x, 1..90
    std::int32_t m_nDivY = 0;   // divisions along y, 1..30
    std::int32_t m_nElem = 0;   // m_nDivX * m_nDivY
    std::int32_t m_nNode = 0;   // (m_nDivX + 1) * (m_nDivY + 1)
    std::int32_t m_nBound = 0;  // 2 * (m_nDivX + m_nDivY)
    std::int32_t m_nBand = 0;   // m_nDivY + 3, diagonal included
    double m_dLenX = kLenX;
    double m_dLenY = kLenY;
    double m_dAlpha = 0.0;

    // Upper band of the symmetric system matrix A. For node numbers r <= s,
    //   A(r, s) = m_K[r][1 + s - r],
    // so column 1 is the diagonal and column 1 + d couples node r to node r + d; columns
    // 1..m_nBand are in use. For m_nNode = 6 and m_nBand = 3 (unused slots marked *):
    //   row 1:  a11  a12  a13
    //   row 2:  a22  a23  a24
    //   ...
    //   row 5:  a55  a56   *
    //   row 6:  a66   *    *
    // The lower triangle is never stored. SolveBand overwrites m_K with its factors.
    double m_K[kNodeCap][kBandCap] = {};
    double m_W[kNodeCap] = {};  // right-hand side, overwritten by the nodal solution

    double m_bndValue[kBoundCap] = {};
    std::int32_t m_bndNode[kBoundCap] = {};
    std::int32_t m_bndKind[kBoundCap] = {};

    std::uint8_t m_bSolved = 0;  // 1 while m_W holds the solution of the current counts
    std::uint8_t m_bOption = 1;  // 1: the left edge carries the centre peak

    // m_nNode, m_nElem, m_nBand and m_nBound from m_nDivX and m_nDivY, in 32-bit arithmetic.
    void DeriveCounts();
    // Fills entries 1..m_nBound: left edge fixed 1.0 (or the peak), bottom natural, right edge
    // fixed 0.0, top natural. Requires 1 <= m_nDivX <= 90 and 1 <= m_nDivY <= 30.
    void BuildBoundaryTable();
    // Clears rows 0..m_nNode of m_K (columns 0..m_nBand) and of m_W.
    void ZeroSystem();
    // Adds the element matrix of every element, in increasing element number.
    void AssembleElements();
    // Adds alpha^2 M - K of one element with corners n1 (i, j), n2 (i+1, j), n3 (i+1, j+1),
    // n4 (i, j+1) into m_K. All four node numbers must lie in 1..m_nNode.
    void AddElementMatrix(std::int32_t n1, std::int32_t n2, std::int32_t n3, std::int32_t n4);
    // Moves prescribed values to the right-hand side, then imposes every boundary entry.
    void ApplyBoundary();
    // Gaussian elimination of the band system without pivoting, then back substitution;
    // leaves W(1..m_nNode) in m_W.
    void SolveBand();
    // The same elimination of m_K alone, without the right-hand side: the factors of SolveBand,
    // bit for bit, for PivotInertia.
    void FactorBand();
    // The signs of the pivots m_K[1..m_nNode][1] left by SolveBand or FactorBand.
    BandInertia PivotInertia() const;
};

// Where the dialog's band lies: rows of its fixed capacity.
inline BandRef BandOf(MembraneModel& record)
{
    return {&record.m_K[0][0], MembraneModel::kBandCap, record.m_W, record.m_nNode,
            record.m_nBand};
}
