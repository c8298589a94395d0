// The CSV and VTK texts of a solved record: every node once, in the right place, its value bit
// for bit; the VTK data read back as VTK reads a binary legacy file.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "present/NodeExport.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

double Read(const std::string& text)
{
    double v = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(NodeExport, CsvRowsReadBackToTheRecord)
{
    for (auto [divX, divY] : {std::pair{1, 1}, {7, 3}, {90, 30}}) {
        auto m = MakeRecord();
        Solve(*m, divX, divY, 3.7, true);
        const std::string csv = NodeCsv(*m);
        EXPECT_EQ(csv.find('\r'), std::string::npos);
        ASSERT_EQ(csv.back(), '\n');
        const std::vector<std::string> lines = Split(csv.substr(0, csv.size() - 1), '\n');
        ASSERT_EQ(static_cast<int>(lines.size()), m->m_nNode + 1);
        EXPECT_EQ(lines[0], "node,i,j,x,y,w");
        for (int n = 1; n <= m->m_nNode; ++n) {
            const std::vector<std::string> cells = Split(lines[n], ',');
            ASSERT_EQ(cells.size(), 6u) << lines[n];
            const int i = (n - 1) / (divY + 1), j = (n - 1) % (divY + 1);
            EXPECT_EQ(cells[0], std::to_string(n));
            EXPECT_EQ(cells[1], std::to_string(i));
            EXPECT_EQ(cells[2], std::to_string(j));
            EXPECT_EQ(Read(cells[3]), i * 15.0 / divX);
            EXPECT_EQ(Read(cells[4]), j * 5.0 / divY);
            ASSERT_TRUE(SameBits(Read(cells[5]), m->m_W[n])) << lines[n];
        }
        // The last node lies at the upper right corner, exactly.
        EXPECT_EQ(lines.back().substr(0, lines.back().rfind(',')),
                  std::to_string(m->m_nNode) + "," + std::to_string(divX) + "," +
                      std::to_string(divY) + ",15,5");
    }
}

// Reads the binary legacy file as VTK does: the header lines, then big-endian doubles.
struct VtkGrid {
    std::vector<std::string> header;
    std::vector<double> x, y, z, w;
};

VtkGrid ReadVtk(const std::string& text)
{
    VtkGrid grid;
    std::size_t at = 0;
    auto line = [&] {
        const std::size_t end = text.find('\n', at);
        std::string l = text.substr(at, end - at);
        at = end + 1;
        return l;
    };
    auto doubles = [&](std::vector<double>& out, int count) {
        for (int k = 0; k < count; ++k) {
            std::uint64_t bits = 0;
            for (int b = 0; b < 8; ++b)
                bits = bits << 8 | static_cast<unsigned char>(text[at + 8 * k + b]);
            double v;
            std::memcpy(&v, &bits, sizeof v);
            out.push_back(v);
        }
        at += 8 * count + 1;  // and the line feed after the data
    };
    for (int k = 0; k < 5; ++k)
        grid.header.push_back(line());
    const std::vector<std::string> dims = Split(grid.header[4], ' ');
    const int nx = std::stoi(dims[1]), ny = std::stoi(dims[2]);
    grid.header.push_back(line());
    doubles(grid.x, nx);
    grid.header.push_back(line());
    doubles(grid.y, ny);
    grid.header.push_back(line());
    doubles(grid.z, 1);
    for (int k = 0; k < 3; ++k)
        grid.header.push_back(line());
    doubles(grid.w, nx * ny);
    EXPECT_EQ(at, text.size());
    return grid;
}

TEST(NodeExport, VtkGridHoldsTheDoubles)
{
    const struct {
        int divX, divY;
        double alpha;
    } cases[] = {{7, 3, 1.25}, {90, 30, 5.0}, {4, 2, 1e200}};  // the last: not a number
    for (const auto& c : cases) {
        auto m = MakeRecord();
        Solve(*m, c.divX, c.divY, c.alpha, true);
        const VtkGrid grid = ReadVtk(RectilinearVtk(*m, "a title"));
        const int nx = c.divX + 1, ny = c.divY + 1;
        const std::vector<std::string> header = {
            "# vtk DataFile Version 3.0", "a title", "BINARY", "DATASET RECTILINEAR_GRID",
            "DIMENSIONS " + std::to_string(nx) + " " + std::to_string(ny) + " 1",
            "X_COORDINATES " + std::to_string(nx) + " double",
            "Y_COORDINATES " + std::to_string(ny) + " double", "Z_COORDINATES 1 double",
            "POINT_DATA " + std::to_string(nx * ny), "SCALARS w double 1",
            "LOOKUP_TABLE default"};
        EXPECT_EQ(grid.header, header);
        for (int i = 0; i < nx; ++i)
            EXPECT_EQ(grid.x[i], i * 15.0 / c.divX);
        for (int j = 0; j < ny; ++j)
            EXPECT_EQ(grid.y[j], j * 5.0 / c.divY);
        EXPECT_EQ(grid.z, std::vector<double>{0.0});
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i)
                ASSERT_TRUE(SameBits(grid.w[j * nx + i], m->m_W[i * ny + j + 1]))
                    << "node (" << i << ", " << j << ")";
    }
    auto m = MakeRecord();
    Solve(*m, 1, 1, 0.0, false);
    EXPECT_EQ(ReadVtk(RectilinearVtk(*m, std::string(300, 't') + "\nmore")).header[1],
              std::string(255, 't'));
}

}  // namespace
