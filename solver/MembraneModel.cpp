// The stages of the dialog's record, on its fixed capacities: the loops of RecordStages.h.
#include "solver/MembraneModel.h"

#include "solver/BandElimination.h"
#include "solver/RecordStages.h"

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
    record_stages::DeriveCountsOf(*this);
}

void MembraneModel::BuildBoundaryTable()
{
    record_stages::BuildBoundaryTableOf(*this);
}

void MembraneModel::ZeroSystem()
{
    record_stages::ZeroSystemOf(*this);
}

void MembraneModel::AssembleElements()
{
    record_stages::AssembleElementsOf(*this);
}

void MembraneModel::AddElementMatrix(std::int32_t n1, std::int32_t n2, std::int32_t n3,
                                     std::int32_t n4)
{
    record_stages::AddElementMatrixTo(*this, n1, n2, n3, n4);
}

void MembraneModel::ApplyBoundary()
{
    record_stages::ApplyBoundaryOf(*this);
}

void MembraneModel::FactorBand()
{
    EliminateBand(BandOf(*this), false, ActiveEliminationKernel());
}

void MembraneModel::SolveBand()
{
    SolveBandIn(BandOf(*this), ActiveEliminationKernel());
}

BandInertia MembraneModel::PivotInertia() const
{
    return record_stages::PivotInertiaOf(*this);
}
