// A record whose storage is sized to its mesh, for meshes beyond the dialog's 90 x 30: the same
// fields under the same names as MembraneModel, the band, the values and the boundary table in
// storage of its own, and the same stages, running the same loops (RecordStages.h). Within the
// dialog's limits it leaves the bits the dialog's record leaves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "solver/BandRef.h"
#include "solver/Element.h"
#include "solver/MembraneModel.h"

// The rows of a band: row r is a pointer to its columns 0..nBand.
class BandRows {
public:
    BandRows() = default;
    BandRows(double* base, std::ptrdiff_t stride) : m_base(base), m_stride(stride) {}
    double* operator[](std::int32_t r) const { return m_base + r * m_stride; }
    std::ptrdiff_t Stride() const { return m_stride; }

private:
    double* m_base = nullptr;
    std::ptrdiff_t m_stride = 0;
};

// The bytes a record of divX x divY needs: its band, its values and its boundary table. Nothing
// when the counts do not fit the record's 32-bit numbering.
std::optional<std::uint64_t> SizedRecordBytes(std::int64_t divX, std::int64_t divY);

struct SizedRecord {
    std::int32_t m_nDivX = 0;
    std::int32_t m_nDivY = 0;
    std::int32_t m_nElem = 0;
    std::int32_t m_nNode = 0;
    std::int32_t m_nBound = 0;
    std::int32_t m_nBand = 0;
    double m_dLenX = MembraneModel::kLenX;
    double m_dLenY = MembraneModel::kLenY;
    double m_dAlpha = 0.0;

    // The band as MembraneModel keeps it, row r at m_K[r], columns 0..m_nBand; and the values,
    // the boundary table, all indexed from 1.
    BandRows m_K;
    double* m_W = nullptr;
    double* m_bndValue = nullptr;
    std::int32_t* m_bndNode = nullptr;
    std::int32_t* m_bndKind = nullptr;

    std::uint8_t m_bSolved = 0;
    std::uint8_t m_bOption = 1;
    // Where the element's integrals are evaluated; the dialog's record is always Standard.
    Scheme m_scheme = Scheme::Standard;

    // A record of divX x divY with its counts derived, its storage allocated once for them.
    // Requires counts of at least 1 for which SizedRecordBytes has an answer. Without `band`
    // the record keeps no band (m_K has no rows): for the separable solver, which needs only
    // the values and the boundary table.
    SizedRecord(std::int32_t divX, std::int32_t divY, bool band = true);
    SizedRecord(const SizedRecord&) = delete;
    SizedRecord& operator=(const SizedRecord&) = delete;

    // Whether the record keeps a band, for the forms that solve on one.
    bool HasBand() const { return m_band != nullptr; }

    void DeriveCounts();
    void BuildBoundaryTable();
    void ZeroSystem();
    void AssembleElements();
    void AddElementMatrix(std::int32_t n1, std::int32_t n2, std::int32_t n3, std::int32_t n4);
    void ApplyBoundary();
    void SolveBand();
    void FactorBand();
    BandInertia PivotInertia() const;

private:
    std::unique_ptr<double[]> m_band;
    std::unique_ptr<double[]> m_values;
    std::unique_ptr<double[]> m_boundValues;
    std::unique_ptr<std::int32_t[]> m_boundNodes;
    std::unique_ptr<std::int32_t[]> m_boundKinds;
};

// Where a sized record's band lies: rows of the stride its mesh needs.
inline BandRef BandOf(SizedRecord& record)
{
    return {record.m_K[0], static_cast<int>(record.m_K.Stride()), record.m_W, record.m_nNode,
            record.m_nBand};
}
