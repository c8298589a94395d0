// Element matrix values and their assembly into the band.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

// Band entry A(r, s) for r <= s.
double A(const MembraneModel& m, int r, int s)
{
    return r <= s ? m.m_K[r][1 + s - r] : m.m_K[s][1 + r - s];
}

TEST(ElementMatrix, DefaultMeshValues)
{
    // 90 x 30 on 15 x 5: squares of side 1/6, area 1/36; alpha 5.
    auto m = MakeRecord();
    SetCounts(*m, 90, 30);
    m->m_dAlpha = 5.0;
    m->ZeroSystem();
    m->AddElementMatrix(1, 32, 33, 2);
    EXPECT_NEAR(m->m_K[1][1], -191.0 / 324, 1e-15);   // D
    EXPECT_NEAR(m->m_K[1][32], 133.0 / 648, 1e-15);   // X, n1-n2
    EXPECT_NEAR(m->m_K[1][2], 133.0 / 648, 1e-15);    // Y, n1-n4
    EXPECT_NEAR(m->m_K[1][33], 457.0 / 1296, 1e-15);  // O, n1-n3, the last band column
    EXPECT_EQ(m->m_K[1][32], m->m_K[2][32]);          // n4-n3 is X as well
}

TEST(ElementMatrix, OneElementAlphaZero)
{
    // Nodes 1 (0,0), 2 (0,1), 3 (1,0), 4 (1,1); dx = 15, dy = 5.
    auto m = MakeRecord();
    SetCounts(*m, 1, 1);
    m->m_dAlpha = 0.0;
    m->ZeroSystem();
    m->AssembleElements();
    const double expected[5][5] = {
        {},
        {0, -10.0 / 9, 17.0 / 18, -7.0 / 18, 5.0 / 9},
        {0, -10.0 / 9, 5.0 / 9, -7.0 / 18, 0},
        {0, -10.0 / 9, 17.0 / 18, 0, 0},
        {0, -10.0 / 9, 0, 0, 0},
    };
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            EXPECT_NEAR(m->m_K[r][c], expected[r][c], 1e-14) << "row " << r << " col " << c;
}

TEST(ElementMatrix, OneElementAlphaTwo)
{
    auto m = MakeRecord();
    SetCounts(*m, 1, 1);
    m->m_dAlpha = 2.0;
    m->ZeroSystem();
    m->AssembleElements();
    EXPECT_NEAR(A(*m, 1, 1), 290.0 / 9, 1e-12);  // D
    EXPECT_NEAR(A(*m, 1, 3), 293.0 / 18, 1e-12); // X
    EXPECT_NEAR(A(*m, 1, 2), 317.0 / 18, 1e-12); // Y
    EXPECT_NEAR(A(*m, 1, 4), 80.0 / 9, 1e-12);   // O
}

TEST(ElementMatrix, AlphaZeroRowsSumToZero)
{
    for (auto [dx, dy] : {std::pair{1, 1}, {7, 3}, {90, 30}, {5, 1}}) {
        auto m = MakeRecord();
        SetCounts(*m, dx, dy);
        m->m_dAlpha = 0.0;
        m->ZeroSystem();
        m->AssembleElements();
        for (int r = 1; r <= m->m_nNode; ++r) {
            double sum = 0.0;
            for (int s = std::max(1, r - m->m_nBand + 1); s <= std::min(m->m_nNode, r + m->m_nBand - 1); ++s)
                sum += A(*m, r, s);
            ASSERT_NEAR(sum, 0.0, 1e-12) << dx << "x" << dy << " row " << r;
        }
    }
}

TEST(ElementMatrix, DiagonalCountsElementsPerNode)
{
    // Interior nodes receive D four times, edge nodes twice, corners once.
    auto m = MakeRecord();
    SetCounts(*m, 4, 3);
    m->m_dAlpha = 1.5;
    m->ZeroSystem();
    m->AddElementMatrix(1, 5, 6, 2);
    const double d = m->m_K[1][1];
    m->ZeroSystem();
    m->AssembleElements();
    EXPECT_DOUBLE_EQ(m->m_K[1][1], d);                   // corner (0, 0)
    EXPECT_DOUBLE_EQ(m->m_K[2][1], d + d);               // left edge (0, 1)
    EXPECT_DOUBLE_EQ(m->m_K[6][1], ((d + d) + d) + d);   // interior (1, 1)
    EXPECT_DOUBLE_EQ(m->m_K[m->m_nNode][1], d);          // corner (4, 3)
}

TEST(ElementMatrix, BandBeyondLastNodeStaysZeroAndRhsIsZero)
{
    auto m = MakeRecord();
    SetCounts(*m, 90, 30);
    m->m_dAlpha = 5.0;
    m->ZeroSystem();
    m->AssembleElements();
    // Column c of row r couples node r to node r + c - 1, which lies beyond the last node
    // when c > m_nNode - r + 1: that happens in the last m_nBand - 1 rows.
    int beyond = 0;
    for (int r = 1; r <= m->m_nNode; ++r) {
        for (int c = m->m_nNode - r + 2; c <= m->m_nBand; ++c, ++beyond)
            ASSERT_EQ(m->m_K[r][c], 0.0) << r << "," << c;
    }
    EXPECT_EQ(beyond, 32 * 33 / 2);  // 32 + 31 + ... + 1 cells
    for (int r = 0; r <= m->m_nNode; ++r)
        ASSERT_EQ(m->m_W[r], 0.0);
}

TEST(ElementMatrix, SingleRowMeshUsesFourBandColumns)
{
    // m_nDivY = 1: pairs land in columns 2 (n1-n4, n4-n2, n2-n3), 3 (n1-n2, n4-n3), 4 (n1-n3).
    auto m = MakeRecord();
    SetCounts(*m, 3, 1);
    m->m_dAlpha = 1.0;
    m->ZeroSystem();
    m->AddElementMatrix(1, 3, 4, 2);
    EXPECT_EQ(m->m_nBand, 4);
    EXPECT_NE(m->m_K[1][2], 0.0);
    EXPECT_NE(m->m_K[2][2], 0.0);
    EXPECT_NE(m->m_K[3][2], 0.0);
    EXPECT_NE(m->m_K[1][3], 0.0);
    EXPECT_NE(m->m_K[2][3], 0.0);
    EXPECT_NE(m->m_K[1][4], 0.0);
    EXPECT_EQ(m->m_K[1][3], m->m_K[2][3]);  // both X
}

}  // namespace
