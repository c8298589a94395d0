// The sweep: its alphas, each point equal to a single computation at that alpha, its counts
// equal to the resonances below, and the same points on any number of threads.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "TestSupport.h"
#include "command/Sweep.h"
#include "present/ReportText.h"
#include "solver/Resonance.h"

namespace {

// The largest |W| of the exact table that a single computation with the alpha's text gives.
double LargestOfExactTable(int divX, int divY, double alpha, bool option)
{
    const RecordingSink sink = CoreRun(std::to_string(divX), std::to_string(divY), Shortest(alpha),
                                       option, ValueFormat::Shortest);
    double largest = 0.0;
    std::size_t start = sink.table.find('\n') + 1;  // past the header
    for (std::size_t end; (end = sink.table.find_first_of("\t\n", start)) != std::string::npos;
         start = end + 1) {
        if (end == start)
            continue;  // the line feed after a line's last tab
        double v = 0.0;
        std::from_chars(sink.table.data() + start, sink.table.data() + end, v);
        if (std::isnan(v))
            return std::fabs(v);
        largest = std::max(largest, std::fabs(v));
    }
    return largest;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Sweep, AlphasRunFromEndToEnd)
{
    EXPECT_EQ(SweepAlpha(0.0, 10.0, 1000, 0), 0.0);
    EXPECT_EQ(SweepAlpha(0.0, 10.0, 1000, 999), 10.0);
    EXPECT_EQ(SweepAlpha(-0.3, 0.7, 3, 2), 0.7);
    EXPECT_EQ(SweepAlpha(0.0, 1.0, 5, 1), 0.25);
    EXPECT_EQ(SweepAlpha(2.5, 2.5, 4, 3), 2.5);
    for (int i = 1; i < 1000; ++i)
        ASSERT_LT(SweepAlpha(0.1, 9.7, 1000, i - 1), SweepAlpha(0.1, 9.7, 1000, i)) << i;
}

TEST(Sweep, EveryPointIsASingleComputation)
{
    const struct {
        SweepMesh mesh;
        double a0, a1;
        int n;
    } sweeps[] = {{{7, 3, true}, -2.0, 2.0, 9}, {{20, 10, false}, 0.0, 3.0, 7},
                  {{90, 30, true}, 4.9, 5.1, 3}};
    for (const auto& s : sweeps) {
        const std::vector<SweepPoint> points = RunSweep(s.mesh, s.a0, s.a1, s.n, 0, s.n, 2);
        ASSERT_EQ(static_cast<int>(points.size()), s.n);
        ResonanceCounter counter(s.mesh.divX, s.mesh.divY);
        for (int i = 0; i < s.n; ++i) {
            const SweepPoint& p = points[i];
            EXPECT_EQ(p.alpha, SweepAlpha(s.a0, s.a1, s.n, i));
            EXPECT_TRUE(SameBits(p.maxAbsW, LargestOfExactTable(s.mesh.divX, s.mesh.divY, p.alpha,
                                                                s.mesh.option)))
                << s.mesh.divX << "x" << s.mesh.divY << " alpha " << p.alpha;
            EXPECT_EQ(p.modesBelow, counter.CountBelow(p.alpha).below) << p.alpha;
            EXPECT_EQ(p.firstZeroPivot, 0);
        }
    }
}

TEST(Sweep, PointOnAVanishingPivot)
{
    const double alpha = VanishingPivotAlpha();
    const std::vector<SweepPoint> points = RunSweep({2, 1, true}, alpha, 1.0, 2, 0, 2, 1);
    EXPECT_TRUE(std::isnan(points[0].maxAbsW));
    EXPECT_TRUE(std::isnan(LargestOfExactTable(2, 1, alpha, true)));
    EXPECT_EQ(points[0].firstZeroPivot, 3);
    EXPECT_EQ(points[0].modesBelow, 1);  // between the two resonances of the mesh
    EXPECT_EQ(points[1].firstZeroPivot, 0);
    EXPECT_EQ(points[1].modesBelow, 2);
}

TEST(Sweep, SamePointsOnAnyNumberOfThreadsAndInBlocks)
{
    const SweepMesh mesh{30, 10, true};
    const std::vector<SweepPoint> one = RunSweep(mesh, 0.0, 6.0, 40, 0, 40, 1);
    for (int threads : {2, 3, 8}) {
        const std::vector<SweepPoint> many = RunSweep(mesh, 0.0, 6.0, 40, 0, 40, threads);
        ASSERT_EQ(std::memcmp(one.data(), many.data(), one.size() * sizeof(SweepPoint)), 0)
            << threads << " threads";
    }
    const std::vector<SweepPoint> block = RunSweep(mesh, 0.0, 6.0, 40, 25, 10, 2);
    EXPECT_EQ(std::memcmp(one.data() + 25, block.data(), block.size() * sizeof(SweepPoint)), 0);
}

}  // namespace

namespace {

// One count of points for the tool, the module and the page: from 2 to a million, a whole
// number and nothing else.
TEST(Sweep, CountFromTwoToAMillion)
{
    EXPECT_EQ(ReadSweepCount("2"), 2);
    EXPECT_EQ(ReadSweepCount(" 1000000 "), 1000000);
    for (const char* text : {"1", "0", "-2", "1000001", "2000000000", "2.0", "1e3", "", "ten"})
        EXPECT_FALSE(ReadSweepCount(text)) << text;
    EXPECT_EQ(SweepCountRefusal("1e3"), "takes N as a whole number from 2 to 1000000, not '1e3'");
    EXPECT_EQ(SweepCsvRow({0.5, 2.25, 3, 0}), "0.5,2.25,3,0\n");
}

}  // namespace
