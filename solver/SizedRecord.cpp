// The stages on storage sized to the mesh: the loops of RecordStages.h.
#include "solver/SizedRecord.h"

#include <limits>

#include "solver/BandElimination.h"
#include "solver/RecordStages.h"

std::optional<std::uint64_t> SizedRecordBytes(std::int64_t divX, std::int64_t divY)
{
    constexpr std::int64_t kMost = std::numeric_limits<std::int32_t>::max();
    if (divX < 1 || divY < 1 || divX > kMost / 4 || divY > kMost / 4)
        return std::nullopt;
    const std::int64_t nodes = (divX + 1) * (divY + 1);  // both below 2^29: no overflow
    if (nodes > kMost)
        return std::nullopt;
    const auto rows = static_cast<std::uint64_t>(nodes + 1);
    const auto columns = static_cast<std::uint64_t>(divY + 4);  // 0..nBand
    const auto bound = static_cast<std::uint64_t>(2 * (divX + divY) + 1);
    return (rows * columns + rows) * sizeof(double) +
           bound * (sizeof(double) + 2 * sizeof(std::int32_t));
}

SizedRecord::SizedRecord(std::int32_t divX, std::int32_t divY, bool band)
{
    m_nDivX = divX;
    m_nDivY = divY;
    DeriveCounts();
    const std::size_t rows = static_cast<std::size_t>(m_nNode) + 1;
    const std::size_t stride = static_cast<std::size_t>(m_nBand) + 1;
    const std::size_t bound = static_cast<std::size_t>(m_nBound) + 1;
    if (band)
        m_band = std::make_unique<double[]>(rows * stride);
    m_values = std::make_unique<double[]>(rows);
    m_boundValues = std::make_unique<double[]>(bound);
    m_boundNodes = std::make_unique<std::int32_t[]>(bound);
    m_boundKinds = std::make_unique<std::int32_t[]>(bound);
    m_K = BandRows(m_band.get(), static_cast<std::ptrdiff_t>(stride));
    m_W = m_values.get();
    m_bndValue = m_boundValues.get();
    m_bndNode = m_boundNodes.get();
    m_bndKind = m_boundKinds.get();
}

void SizedRecord::DeriveCounts()
{
    record_stages::DeriveCountsOf(*this);
}

void SizedRecord::BuildBoundaryTable()
{
    record_stages::BuildBoundaryTableOf(*this);
}

void SizedRecord::ZeroSystem()
{
    record_stages::ZeroSystemOf(*this);
}

void SizedRecord::AssembleElements()
{
    record_stages::AssembleElementsOf(*this);
}

void SizedRecord::AddElementMatrix(std::int32_t n1, std::int32_t n2, std::int32_t n3,
                                   std::int32_t n4)
{
    record_stages::AddElementMatrixTo(*this, n1, n2, n3, n4);
}

void SizedRecord::ApplyBoundary()
{
    record_stages::ApplyBoundaryOf(*this);
}

void SizedRecord::FactorBand()
{
    EliminateBand(BandOf(*this), false, ActiveEliminationKernel());
}

void SizedRecord::SolveBand()
{
    SolveBandIn(BandOf(*this), ActiveEliminationKernel());
}

BandInertia SizedRecord::PivotInertia() const
{
    return record_stages::PivotInertiaOf(*this);
}
