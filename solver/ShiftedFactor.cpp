// Factorisations at a shift, and the inertia they give.
#include "solver/ShiftedFactor.h"

#include <algorithm>
#include <cmath>

#include "solver/BandElimination.h"

std::int32_t ResonancesBelow(const MembraneModel& factored, const BandInertia& inertia)
{
    // Every prescribed node is a row and a column of the identity: one pivot 1.0 each.
    std::int32_t fixed = 0;
    for (int e = 1; e <= factored.m_nBound; ++e)
        if (factored.m_bndKind[e] != BND_NATURAL)
            ++fixed;
    return inertia.positive - fixed;
}

ShiftedFactor::ShiftedFactor(std::int32_t divX, std::int32_t divY)
    : m_record(std::make_unique<MembraneModel>())
{
    m_record->m_nDivX = divX;
    m_record->m_nDivY = divY;
    m_record->DeriveCounts();
    m_record->BuildBoundaryTable();
}

ShiftedFactor::Factored ShiftedFactor::FactorNear(double alpha, double towards)
{
    MembraneModel& record = *m_record;
    for (int nudge = 0;; ++nudge) {
        record.m_dAlpha = alpha;
        record.ZeroSystem();
        record.AssembleElements();
        record.ApplyBoundary();
        record.FactorBand();
        const BandInertia inertia = record.PivotInertia();
        if (inertia.firstBadRow == 0 || nudge == kNudges)
            return {alpha, inertia};
        alpha = std::nextafter(alpha, towards);
    }
}

std::int32_t ShiftedFactor::ResonancesBelow(const BandInertia& inertia) const
{
    return ::ResonancesBelow(*m_record, inertia);
}

void ShiftedFactor::Solve(const std::vector<double>& b, std::vector<double>& x)
{
    std::copy(b.begin(), b.end(), m_record->m_W);
    SubstituteBand(*m_record);
    x.assign(m_record->m_W, m_record->m_W + b.size());
    x[0] = 0.0;
}
