// The nodal solution in the formats other tools read: CSV for spreadsheets, Python and gnuplot,
// and VTK's legacy rectilinear grid for ParaView and VTK. Pure functions of a solved field;
// values as the shortest text that reads back to the same double, or as the doubles themselves.
#pragma once

#include <string>
#include <string_view>

#include "present/NodalField.h"

// x and y of node column i and node row j: i * 15 / m_nDivX and j * 5 / m_nDivY, each the
// double nearest the exact quotient.
double NodeX(const NodalField& field, int i);
double NodeY(const NodalField& field, int j);

// "node,i,j,x,y,w" and one row per node in node order, line feeds after every row.
std::string NodeCsv(const NodalField& field);

// A legacy VTK file, binary, of the grid of nodes (x fastest, then y) with the point data "w":
// the doubles of m_W bit for bit, not-a-number values too. title is one line, at most 255
// bytes; longer titles are cut.
std::string RectilinearVtk(const NodalField& field, std::string_view title);
