// Factorisations at a shift, and the inertia they give.
#include "solver/ShiftedFactor.h"

#include <algorithm>
#include <cmath>

#include "solver/BandElimination.h"
#include "solver/SolverChoice.h"

ShiftedFactor::ShiftedFactor(std::int32_t divX, std::int32_t divY)
    : m_record(std::make_unique<SizedRecord>(divX, divY))
{
    m_record->BuildBoundaryTable();
    if (ChooseSolverForm(divX, divY, SolverRequest::Auto) == SolverForm::Sparse)
        m_sparse = std::make_unique<SparseFactor>();
}

ShiftedFactor::Factored ShiftedFactor::FactorNear(double alpha, double towards)
{
    SizedRecord& record = *m_record;
    for (int nudge = 0;; ++nudge) {
        record.m_dAlpha = alpha;
        record.ZeroSystem();
        record.AssembleElements();
        record.ApplyBoundary();
        BandInertia inertia;
        if (m_sparse) {
            inertia = m_sparse->Factor(record);
        } else {
            record.FactorBand();
            inertia = record.PivotInertia();
        }
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
    if (m_sparse)
        m_sparse->Solve(m_record->m_W);
    else
        SubstituteBand(*m_record);
    x.assign(m_record->m_W, m_record->m_W + b.size());
    x[0] = 0.0;
}
