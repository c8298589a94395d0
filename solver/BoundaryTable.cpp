// The boundary table of a mesh, by the records' own loop.
#include "solver/BoundaryTable.h"

#include "solver/RecordStages.h"

BoundaryTable BoundaryTableOf(std::int32_t divX, std::int32_t divY, bool option)
{
    BoundaryTable table;
    table.m_nDivX = divX;
    table.m_nDivY = divY;
    table.m_nNode = (divX + 1) * (divY + 1);
    table.m_nBound = 2 * (divX + divY);
    table.m_bOption = option ? 1 : 0;
    const auto entries = static_cast<std::size_t>(table.m_nBound) + 1;
    table.m_bndNode.assign(entries, 0);
    table.m_bndKind.assign(entries, 0);
    table.m_bndValue.assign(entries, 0.0);
    record_stages::BuildBoundaryTableOf(table);
    return table;
}
