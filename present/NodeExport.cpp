// CSV rows and the VTK rectilinear grid of a solved field.
#include "present/NodeExport.h"

#include <cstdint>
#include <cstring>

#include "present/ReportText.h"

namespace {

void AppendInt(std::string& out, int n)
{
    out += std::to_string(n);
}

void AppendShortest(std::string& out, double v)
{
    AppendValue(out, v, ValueFormat::Shortest);
}

// VTK's binary legacy data are big-endian.
void AppendBigEndian(std::string& out, double v)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    for (int shift = 56; shift >= 0; shift -= 8)
        out += static_cast<char>((bits >> shift) & 0xFF);
}

}  // namespace

double NodeX(const NodalField& field, int i)
{
    return static_cast<double>(i) * field.m_dLenX / field.m_nDivX;
}

double NodeY(const NodalField& field, int j)
{
    return static_cast<double>(j) * field.m_dLenY / field.m_nDivY;
}

std::string NodeCsv(const NodalField& field)
{
    std::string csv = "node,i,j,x,y,w\n";
    const int rows = field.m_nDivY + 1;
    for (int n = 1; n <= field.m_nNode; ++n) {
        const int i = (n - 1) / rows, j = (n - 1) % rows;
        AppendInt(csv, n);
        csv += ',';
        AppendInt(csv, i);
        csv += ',';
        AppendInt(csv, j);
        csv += ',';
        AppendShortest(csv, NodeX(field, i));
        csv += ',';
        AppendShortest(csv, NodeY(field, j));
        csv += ',';
        AppendShortest(csv, field.m_W[n]);
        csv += '\n';
    }
    return csv;
}

std::string RectilinearVtk(const NodalField& field, std::string_view title)
{
    const int columns = field.m_nDivX + 1, rows = field.m_nDivY + 1;
    std::string vtk = "# vtk DataFile Version 3.0\n";
    std::string line(title.substr(0, 255));
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    vtk += line + "\nBINARY\nDATASET RECTILINEAR_GRID\n";
    vtk += "DIMENSIONS " + std::to_string(columns) + ' ' + std::to_string(rows) + " 1\n";
    vtk += "X_COORDINATES " + std::to_string(columns) + " double\n";
    for (int i = 0; i < columns; ++i)
        AppendBigEndian(vtk, NodeX(field, i));
    vtk += "\nY_COORDINATES " + std::to_string(rows) + " double\n";
    for (int j = 0; j < rows; ++j)
        AppendBigEndian(vtk, NodeY(field, j));
    vtk += "\nZ_COORDINATES 1 double\n";
    AppendBigEndian(vtk, 0.0);
    vtk += "\nPOINT_DATA " + std::to_string(field.m_nNode) + "\nSCALARS w double 1\n";
    vtk += "LOOKUP_TABLE default\n";
    for (int j = 0; j < rows; ++j)         // VTK's points run along x first
        for (int i = 0; i < columns; ++i)  // node (i, j) is i * rows + j + 1
            AppendBigEndian(vtk, field.m_W[i * rows + j + 1]);
    vtk += '\n';
    return vtk;
}
