// The boundary table of a mesh as a value of its own: what the edges prescribe, for the eigen
// side, which needs the fixed nodes and the load they carry but no system to impose them on.
// It is filled by the records' own loop, so it holds exactly the entries a record holds.
#pragma once

#include <cstdint>
#include <vector>

struct BoundaryTable {
    // The mesh, under the records' names, which the records' loop reads.
    std::int32_t m_nDivX = 0;
    std::int32_t m_nDivY = 0;
    std::int32_t m_nNode = 0;
    std::int32_t m_nBound = 0;
    std::uint8_t m_bOption = 1;
    // Entries 1..m_nBound, as a record keeps them; [0] unused.
    std::vector<std::int32_t> m_bndNode;
    std::vector<std::int32_t> m_bndKind;
    std::vector<double> m_bndValue;
};

// The table of a divX x divY mesh (counts of at least 1) with the left edge of the option.
BoundaryTable BoundaryTableOf(std::int32_t divX, std::int32_t divY, bool option);
