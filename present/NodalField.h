// A field of nodal values on a mesh, wherever its values are kept: the solution of the dialog's
// record or of a record sized to its mesh, or a shape. The presentation reads fields through
// this view only, under the record's own names, so that every output serves every record.
#pragma once

#include <cstdint>

#include "solver/Element.h"
#include "solver/MembraneModel.h"

struct NodalField {
    std::int32_t m_nDivX = 0;
    std::int32_t m_nDivY = 0;
    std::int32_t m_nNode = 0;  // (m_nDivX + 1) (m_nDivY + 1)
    double m_dLenX = MembraneModel::kLenX;
    double m_dLenY = MembraneModel::kLenY;
    double m_dAlpha = 0.0;
    const double* m_W = nullptr;  // m_W[n] for the nodes n = 1..m_nNode
    Scheme m_scheme = Scheme::Standard;  // the element that made the values

    NodalField() = default;
    // The values w[1..] of a divX x divY mesh at alpha, made with the element of the scheme.
    NodalField(std::int32_t divX, std::int32_t divY, double alpha, const double* w,
               Scheme scheme = Scheme::Standard)
        : m_nDivX(divX), m_nDivY(divY), m_nNode((divX + 1) * (divY + 1)), m_dAlpha(alpha), m_W(w),
          m_scheme(scheme)
    {
    }
    // The solution of any record, MembraneModel or SizedRecord, which must outlive the view.
    template <class R>
    NodalField(const R& record)  // NOLINT(google-explicit-constructor): a view of the record
        : m_nDivX(record.m_nDivX), m_nDivY(record.m_nDivY), m_nNode(record.m_nNode),
          m_dLenX(record.m_dLenX), m_dLenY(record.m_dLenY), m_dAlpha(record.m_dAlpha),
          m_W(&record.m_W[0]), m_scheme(SchemeOfRecord(record))
    {
    }
};
