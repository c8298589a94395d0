// The boundary table: runs, kinds, values and the centre peak.
#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"

namespace {

struct Entry {
    int node;
    int kind;
    double value;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> Table(int divX, int divY, bool option)
{
    auto m = MakeRecord();
    SetCounts(*m, divX, divY);
    m->m_bOption = option ? 1 : 0;
    m->BuildBoundaryTable();
    std::vector<Entry> t;
    for (int e = 1; e <= m->m_nBound; ++e)
        t.push_back({m->m_bndNode[e], m->m_bndKind[e], m->m_bndValue[e]});
    return t;
}

void PrintTo(const Entry& e, std::ostream* os)
{
    *os << "{" << e.node << ", " << e.kind << ", " << e.value << "}";
}

TEST(BoundaryTable, OneElement)
{
    const std::vector<Entry> off = {
        {1, BND_FIXED, 1.0}, {2, BND_FIXED, 1.0}, {3, BND_FIXED, 0.0}, {4, BND_FIXED, 0.0}};
    EXPECT_EQ(Table(1, 1, false), off);
    const std::vector<Entry> on = {
        {1, BND_FIXED, 5.0}, {2, BND_FIXED, 5.0}, {3, BND_FIXED, 0.0}, {4, BND_FIXED, 0.0}};
    EXPECT_EQ(Table(1, 1, true), on);
}

TEST(BoundaryTable, TwoByTwo)
{
    const std::vector<Entry> off = {
        {1, BND_FIXED, 1.0}, {2, BND_FIXED, 1.0},   {3, BND_FIXED, 1.0}, {4, BND_NATURAL, 0.0},
        {7, BND_FIXED, 0.0}, {8, BND_FIXED, 0.0},   {9, BND_FIXED, 0.0}, {6, BND_NATURAL, 0.0}};
    EXPECT_EQ(Table(2, 2, false), off);
    auto on = off;
    on[0].value = 4.0;
    on[1].value = 5.0;
    on[2].value = 4.0;
    EXPECT_EQ(Table(2, 2, true), on);
}

TEST(BoundaryTable, LargestMesh)
{
    const auto t = Table(90, 30, false);
    ASSERT_EQ(t.size(), 240u);
    for (int e = 1; e <= 31; ++e)
        EXPECT_EQ(t[e - 1], (Entry{e, BND_FIXED, 1.0}));
    for (int e = 32; e <= 120; ++e)  // bottom: 32, 63, ..., 2760
        EXPECT_EQ(t[e - 1], (Entry{32 + (e - 32) * 31, BND_NATURAL, 0.0}));
    for (int e = 121; e <= 151; ++e)  // right edge: 2791..2821
        EXPECT_EQ(t[e - 1], (Entry{2791 + (e - 121), BND_FIXED, 0.0}));
    for (int e = 152; e <= 240; ++e)  // top: 62, 93, ..., 2790
        EXPECT_EQ(t[e - 1], (Entry{62 + (e - 152) * 31, BND_NATURAL, 0.0}));
    EXPECT_EQ(t[119].node, 2760);
    EXPECT_EQ(t[239].node, 2790);
}

TEST(BoundaryTable, EveryBorderNodeOnce)
{
    for (auto [dx, dy] : {std::pair{1, 1}, {1, 4}, {3, 1}, {7, 5}, {90, 30}, {2, 29}}) {
        const auto t = Table(dx, dy, true);
        const int rows = dy + 1;
        std::vector<int> seen((dx + 1) * rows + 1, 0);
        for (const Entry& e : t)
            ++seen[e.node];
        for (int n = 1; n < static_cast<int>(seen.size()); ++n) {
            const int i = (n - 1) / rows, j = (n - 1) % rows;
            const bool border = i == 0 || i == dx || j == 0 || j == dy;
            EXPECT_EQ(seen[n], border ? 1 : 0) << dx << "x" << dy << " node " << n;
        }
        EXPECT_EQ(static_cast<int>(t.size()), 2 * (dx + dy));
    }
}

TEST(BoundaryTable, LeftEdgeWithCentrePeak)
{
    struct Row {
        int divY;
        std::vector<double> left;  // rows 0..divY, bottom to top
    };
    const Row rows[] = {
        {1, {5, 5}},
        {2, {4, 5, 4}},
        {3, {1, 5, 5, 1}},
        {4, {1, 4, 5, 4, 1}},
        {5, {1, 1, 5, 5, 1, 1}},
    };
    for (const Row& r : rows) {
        const auto t = Table(3, r.divY, true);
        std::vector<double> left;
        for (int e = 0; e <= r.divY; ++e)
            left.push_back(t[e].value);
        EXPECT_EQ(left, r.left) << "divY " << r.divY;
    }
    const auto even = Table(90, 30, true);
    for (int e = 1; e <= 31; ++e)
        EXPECT_EQ(even[e - 1].value, e == 15 || e == 17 ? 4.0 : e == 16 ? 5.0 : 1.0) << e;
    const auto odd = Table(90, 29, true);
    for (int e = 1; e <= 30; ++e)
        EXPECT_EQ(odd[e - 1].value, e == 15 || e == 16 ? 5.0 : 1.0) << e;
}

TEST(BoundaryTable, OptionOffKeepsLeftEdgeAtOne)
{
    for (int dy = 1; dy <= 30; ++dy) {
        const auto t = Table(2, dy, false);
        for (int e = 0; e <= dy; ++e)
            ASSERT_EQ(t[e].value, 1.0) << "divY " << dy;
    }
}

}  // namespace
