// Colour map cells: sizes, placement, scale and intensities, without a window.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <vector>

#include "TestSupport.h"
#include "present/ColorMap.h"
#include "present/ColorMapPainter.h"

namespace {

std::vector<MapCell> Cells(const MembraneModel& m, int y0)
{
    std::vector<MapCell> cells;
    ForEachMapCell(m, 10, y0, [&cells](const MapCell& c) { cells.push_back(c); });
    return cells;
}

TEST(ColorMap, Intensity)
{
    const struct {
        double w, lo, range;
        int expected;
    } rows[] = {
        {1.0, 0.0, 1.0, 255},    {0.0, 0.0, 1.0, 0},          {0.999, 0.0, 1.0, 254},
        {0.5, 0.0, 1.0, 127},    {2.0, 0.0, 1.0, 255},        {-1.0, 0.0, 1.0, 0},
        {NAN, 0.0, 1.0, 0},      {1.0, NAN, NAN, 0},          {5.0, 5.0, 0.0, 0},  // 0/0
        {INFINITY, 0.0, 1.0, 255}, {-INFINITY, 0.0, 1.0, 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(MapIntensity(r.w, r.lo, r.range), r.expected) << r.w << " " << r.lo;
}

TEST(ColorMap, ScaleStartsAtPlusMinusHundredAndTakesNaNAsLow)
{
    auto m = MakeRecord();
    SetCounts(*m, 1, 1);
    m->m_W[1] = 1.0, m->m_W[2] = 1.0, m->m_W[3] = 0.0, m->m_W[4] = 0.0;
    MapScale s = FindMapScale(*m);
    EXPECT_EQ(s.hi, 1.0);
    EXPECT_EQ(s.lo, 0.0);
    m->m_W[1] = 250.0, m->m_W[3] = -300.0;
    s = FindMapScale(*m);
    EXPECT_EQ(s.hi, 250.0);
    EXPECT_EQ(s.lo, -300.0);
    m->m_W[1] = 50.0, m->m_W[2] = 50.0, m->m_W[3] = 50.0, m->m_W[4] = 50.0;
    s = FindMapScale(*m);
    EXPECT_EQ(s.hi, 50.0);
    EXPECT_EQ(s.lo, 50.0);  // equal ends: every cell intensity 0
    m->m_W[2] = NAN;  // replaces lo, and the next value replaces it again
    s = FindMapScale(*m);
    EXPECT_EQ(s.hi, 50.0);
    EXPECT_EQ(s.lo, 50.0);
    m->m_W[4] = NAN;
    s = FindMapScale(*m);
    EXPECT_EQ(s.hi, 50.0);
    EXPECT_TRUE(std::isnan(s.lo));
}

TEST(ColorMap, OneElementCells)
{
    auto m = MakeRecord();
    SetCounts(*m, 1, 1);
    m->m_W[1] = 1.0, m->m_W[2] = 1.0, m->m_W[3] = 0.0, m->m_W[4] = 0.0;
    const auto cells = Cells(*m, 300);
    ASSERT_EQ(cells.size(), 4u);
    // Node 1 bottom left, node 2 above it, then the right column.
    EXPECT_EQ(cells[0].left, 10);
    EXPECT_EQ(cells[0].right, 310);
    EXPECT_EQ(cells[0].top, 200);
    EXPECT_EQ(cells[0].bottom, 300);
    EXPECT_EQ(cells[1].top, 100);
    EXPECT_EQ(cells[1].bottom, 200);
    EXPECT_EQ(cells[3].left, 310);
    EXPECT_EQ(cells[3].right, 610);
    EXPECT_EQ(cells[0].intensity, 255);
    EXPECT_EQ(cells[1].intensity, 255);
    EXPECT_EQ(cells[2].intensity, 0);
    EXPECT_EQ(cells[3].intensity, 0);
}

TEST(ColorMap, BlockSizes)
{
    const struct {
        int divX, divY, width, height, cellW, cellH;
    } rows[] = {{90, 30, 273, 93, 3, 3}, {1, 1, 600, 200, 300, 100}, {7, 3, 336, 132, 42, 33},
                {45, 15, 276, 96, 6, 6}};
    for (const auto& r : rows) {
        auto m = MakeRecord();
        SetCounts(*m, r.divX, r.divY);
        const auto cells = Cells(*m, 500);
        ASSERT_EQ(static_cast<int>(cells.size()), m->m_nNode);
        EXPECT_EQ(cells.front().right - cells.front().left, r.cellW);
        EXPECT_EQ(cells.front().bottom - cells.front().top, r.cellH);
        EXPECT_EQ(cells.back().right - 10, r.width);
        EXPECT_EQ(500 - cells.back().top, r.height);
        EXPECT_EQ(MapBlockWidth(*m), r.width);
        EXPECT_EQ(MapBlockHeight(*m), r.height);
    }
}

TEST(ColorMap, CountsBelowOneDrawNothing)
{
    for (auto [dx, dy] : {std::pair{0, 5}, {5, 0}, {-3, 2}, {2, -7}}) {
        auto m = MakeRecord();
        m->m_nDivX = dx;
        m->m_nDivY = dy;
        m->m_nNode = 4;
        EXPECT_TRUE(Cells(*m, 100).empty());
        EXPECT_EQ(MapBlockWidth(*m) * MapBlockHeight(*m), 0);
    }
}

TEST(ColorMap, PaintedPixels)
{
    // The whole 1 x 1 block, x = 10..609 and y = y0 - 200..y0 - 1.
    auto m = MakeRecord();
    Solve(*m, 1, 1, 5.0, false);
    QImage image(700, 300, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    PaintColorMap(painter, *m, 10, 250);
    painter.end();
    EXPECT_EQ(image.pixel(10, 249), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(309, 50), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(310, 249), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(609, 50), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(610, 100), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(9, 100), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(100, 250), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(100, 49), qRgb(0, 0, 0));
}

}  // namespace
