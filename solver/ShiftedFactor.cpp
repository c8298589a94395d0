// Factorisations at a shift, and the inertia they give.
#include "solver/ShiftedFactor.h"

#include <algorithm>
#include <cmath>

#include "solver/SolverChoice.h"

ShiftedFactor::ShiftedFactor(std::int32_t divX, std::int32_t divY, Scheme scheme)
    : m_record(std::make_unique<SizedRecord>(divX, divY))
{
    m_record->m_scheme = scheme;
    m_record->BuildBoundaryTable();
    m_factor = MakeFactorisation(ChooseSolverForm(divX, divY, SolverRequest::Auto));
}

ShiftedFactor::Factored ShiftedFactor::FactorNear(double alpha, double towards)
{
    SizedRecord& record = *m_record;
    for (int nudge = 0;; ++nudge) {
        record.m_dAlpha = alpha;
        record.ZeroSystem();
        record.AssembleElements();
        record.ApplyBoundary();
        const BandInertia inertia = m_factor->Factor(record);
        if (inertia.firstBadRow == 0 || nudge == kNudges)
            return {alpha, inertia};
        alpha = std::nextafter(alpha, towards);
    }
}

std::int32_t ShiftedFactor::ResonancesBelow(const BandInertia& inertia) const
{
    return ::ResonancesBelow(*m_record, inertia);
}

bool ShiftedFactor::AboveEveryResonance(double alpha) const
{
    return std::fabs(alpha) > ResonanceCeiling(m_record->m_nDivX, m_record->m_nDivY);
}

std::int32_t ShiftedFactor::Resonances() const
{
    return ResonanceCount(m_record->m_nDivX, m_record->m_nDivY);
}

void ShiftedFactor::Solve(const std::vector<double>& b, std::vector<double>& x)
{
    std::copy(b.begin(), b.end(), m_record->m_W);
    m_factor->Solve(*m_record, m_record->m_W);
    x.assign(m_record->m_W, m_record->m_W + b.size());
    x[0] = 0.0;
}
