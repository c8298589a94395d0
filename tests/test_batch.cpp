// membrane-solve as a script uses it: bytes on standard output, messages on standard error,
// exit statuses, exact values and the PNG map. Most cases run the program itself; the many
// generated texts run the same function in this process, and a sample of them the program.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <filesystem>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "HostileTexts.h"
#include "RunProcess.h"
#include "ToolRun.h"
#include "TestSupport.h"
#include "batch/Tool.h"
#include "command/ComputeCommand.h"
#include "command/Study.h"
#include "present/FigureLayout.h"
#include "present/MapFigure.h"
#include "present/NodeExport.h"
#include "solver/MeshOperator.h"
#include "solver/ModeShape.h"
#include "solver/Resonance.h"

namespace {

std::string Joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines)
        s += l + '\n';
    return s;
}

TEST(Batch, DefaultsGiveTheDialogsTable)
{
    const ProcessResult r = Solve({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, CoreRun(" 90", " 30", " 5.0", true).table);
    // The dialog's mesh is coarse for alpha 5, and the tool says so.
    EXPECT_EQ(r.err, "membrane-solve: note: 7.54 points per wavelength on the 90 x 30 mesh at "
                     "alpha 5: the discrete wave's phase is off by 2.7% a wavelength; a 152 x 51 "
                     "mesh brings that under 1%; the low-dispersion scheme's is off by 0.1% on "
                     "this mesh\n");
    EXPECT_EQ(Solve({"--quiet"}).err, "");
}

TEST(Batch, SmallCasesByteForByte)
{
    ProcessResult r = Solve({"--divx", "1", "--divy", "1", "--option", "off"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\t2\t\n1.000000\t1.000000\t\n0.000000\t0.000000\t\n");

    r = Solve({"--divx=2", "--divy=1", "--alpha=0.1", "--option=off", "--list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "Number of Element = 2\nNumber of Node = 6\n\nW(1) = 1.000000\nW(2) = 1.000000\n"
              "\nW(3) = 0.673077\nW(4) = 0.673077\n\nW(5) = 0.000000\nW(6) = 0.000000\n");

    r = Solve({"--divx", " 45", "--divy", "+15", "--alpha", "2.5e0xyz", "--list", "--lenient"});
    EXPECT_EQ(r.out, Joined(CoreRun("45", "15", "2.5", true).lines));
}

TEST(Batch, ExactValuesReadBackToTheSameDoubles)
{
    auto m = MakeRecord();
    RecordingSink sink;
    RunCompute(*m, {"30", "10", "3.7"}, sink);
    const ProcessResult r = Solve({"--divx", "30", "--divy", "10", "--alpha", "3.7", "--exact"});
    ASSERT_EQ(r.status, 0);
    std::vector<std::string> cells;
    std::size_t start = r.out.find('\n') + 1;  // past the header
    for (std::size_t tab; (tab = r.out.find('\t', start)) != std::string::npos; start = tab + 1) {
        std::string cell = r.out.substr(start, tab - start);
        if (!cell.empty() && cell[0] == '\n')
            cell.erase(0, 1);
        cells.push_back(cell);
    }
    ASSERT_EQ(static_cast<int>(cells.size()), m->m_nNode);
    for (int n = 1; n <= m->m_nNode; ++n) {
        double v = 0;
        const std::string& c = cells[n - 1];
        std::from_chars(c.data(), c.data() + c.size(), v);
        ASSERT_EQ(v, m->m_W[n]) << "node " << n << ": " << c;
    }
}

TEST(Batch, ExitStatuses)
{
    ProcessResult r = Solve({"--divx", "91", "--lenient"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ｘ方向の分割数は90以下に \nｙ方向の分割数は30以下に\nして下さい。\n");

    r = Solve({"--divy", "0", "--lenient"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "分割数は1以上に\nして下さい。\n");

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--bogus"}, {"--divx"}, {"--option", "maybe"}, {"--list=yes"},
          {"extra"}, {"--map"}}) {
        r = Solve(bad);
        EXPECT_EQ(r.status, 2) << bad[0];
        EXPECT_EQ(r.out, "") << bad[0];
        EXPECT_NE(r.err.find("usage: membrane-solve"), std::string::npos) << bad[0];
    }

    r = Solve({"--divx", "4", "--divy", "2", "--alpha", "1e200", "--quiet"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, CoreRun("4", "2", "1e200", true).table);
    EXPECT_EQ(r.err, "解に有限でない値があります。αを変えて下さい。\n");

    r = Solve({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: membrane-solve", 0), 0u);

    r = Solve({"--divx", "2", "--divy", "1", "--map", "/nonexistent-dir/map.png"});
    EXPECT_EQ(r.status, 4);
}

// Unless --lenient, the numbers are read strictly: a count is a whole number, alpha a finite
// decimal number, blanks around either allowed; one line names the option, what it takes and
// what it got; 1 for a count below 1, 2 for a text that is no such number.
TEST(Batch, NumbersReadStrictlyUnlessLenient)
{
    const std::string finite = "membrane-solve: --alpha takes a finite decimal number, not ";
    const std::string whole = "takes a whole number from 1 up, not ";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    for (const Case& c : std::vector<Case>{
             {{"--alpha", "nan"}, 2, finite + "'nan'\n"},
             {{"--alpha", "inf"}, 2, finite + "'inf'\n"},
             {{"--alpha", "abc"}, 2, finite + "'abc'\n"},
             {{"--alpha", ""}, 2, finite + "''\n"},
             {{"--alpha", "1e400"}, 2, finite + "'1e400'\n"},
             {{"--alpha", "2,5"}, 2, finite + "'2,5' (the decimal mark is a point: 2.5)\n"},
             {{"--divx", "1e1"}, 2, "membrane-solve: --divx " + whole + "'1e1'\n"},
             {{"--divx", "2.5"}, 2, "membrane-solve: --divx " + whole + "'2.5'\n"},
             {{"--divy", "0"}, 1, "membrane-solve: --divy " + whole + "'0'\n"},
             {{"--divx", "-3"}, 1, "membrane-solve: --divx " + whole + "'-3'\n"},
             {{"--divx", "0", "--modes", "2"}, 2, "membrane-solve: --divx " + whole + "'0'\n"},
             {{"--divy", "2147483648"}, 1,
              "membrane-solve: --divy takes a whole number from 1 to 2147483647, not "
              "'2147483648'\n"},
             {{"--sweep", "0:1:3.5"}, 2,
              "membrane-solve: --sweep takes N as a whole number from 2 to 1000000, not '3.5'\n"},
             {{"--sweep", "0:1:1"}, 2,
              "membrane-solve: --sweep takes N as a whole number from 2 to 1000000, not '1'\n"},
             {{"--sweep", "0:1:1000001"}, 2,
              "membrane-solve: --sweep takes N as a whole number from 2 to 1000000, not "
              "'1000001'\n"},
             {{"--sweep", "0:1,5:3"}, 2,
              "membrane-solve: --sweep takes finite decimal numbers as bounds, not '1,5' (the "
              "decimal mark is a point: 1.5)\n"},
             {{"--shapes", "37", "--figure", "x.png"}, 2,
              "membrane-solve: --shapes takes a whole number from 1 to 36, not '37'\n"}}) {
        const ProcessResult r = SolveInProcess(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1];
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "") << c.args[1];
    }
    // Blanks around a number; --lenient reads as the dialog does, a decimal comma ending alpha.
    EXPECT_EQ(SolveInProcess({"--divx", " 12 ", "--alpha", "\t2.5 ", "--quiet"}).out,
              CoreRun("12", " 30", "2.5", true).table);
    EXPECT_EQ(SolveInProcess({"--modes", " 2 ", "--divx", "4", "--divy", "2"}).out,
              SolveInProcess({"--modes", "2", "--divx", "4", "--divy", "2"}).out);
    EXPECT_EQ(SolveInProcess({"--alpha", "2,5", "--lenient", "--quiet"}).out,
              CoreRun(" 90", " 30", "2", true).table);
    const ProcessResult bogus = Solve({"--divx", "2"}, {"MEMBRANE_ELIMINATION=bogus"});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_EQ(bogus.err,
              "membrane-solve: MEMBRANE_ELIMINATION takes portable, avx2 or avx512, not 'bogus'\n");
}

// A solve within 1e-6 of a resonance says so in one note, its output and status unchanged.
TEST(Batch, ASolveNearAResonanceSaysSo)
{
    const ProcessResult modes = SolveInProcess({"--divx", "6", "--divy", "2", "--modes", "3"});
    const std::string third = modes.out.substr(modes.out.rfind('\t') + 1);
    const std::string alpha = third.substr(0, third.size() - 1);
    const ProcessResult r =
        SolveInProcess({"--divx", "6", "--divy", "2", "--alpha", alpha, "--exact"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, CoreRun("6", "2", alpha, true, ValueFormat::Shortest).table);
    EXPECT_TRUE(r.err.starts_with("membrane-solve: alpha " + alpha +
                                  " lies within a relative 1e-6 of resonance 3 of the 6 x 2 mesh"))
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2);  // and the accuracy note
    EXPECT_EQ(SolveInProcess({"--divx", "6", "--divy", "2", "--alpha", alpha, "--quiet"}).err, "");
    EXPECT_EQ(SolveInProcess({"--divx", "6", "--divy", "2", "--alpha", "0.5"}).err.find("resonance"),
              std::string::npos);
}

TEST(Batch, OneElementMapImage)
{
    const std::string file = testing::TempDir() + "membrane-map-1x1.png";
    const ProcessResult r =
        Solve({"--divx", "1", "--divy", "1", "--option", "off", "--map", file});
    ASSERT_EQ(r.status, 0);
    const QImage image(QString::fromStdString(file));
    ASSERT_EQ(image.size(), QSize(600, 200));
    for (int y : {0, 99, 100, 199}) {
        EXPECT_EQ(image.pixel(0, y), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(299, y), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(300, y), qRgb(0, 0, 255));
        EXPECT_EQ(image.pixel(599, y), qRgb(0, 0, 255));
    }
    std::remove(file.c_str());
}

TEST(Batch, DefaultsMapImageHasTheDialogsCells)
{
    const std::string file = testing::TempDir() + "membrane-map-90x30.png";
    ASSERT_EQ(Solve({"--map", file}).status, 0);
    const QImage image(QString::fromStdString(file));
    ASSERT_EQ(image.size(), QSize(273, 93));
    // Node 16 (column 0, row 15) carries the peak 5.0; node 2821 the right edge's 0.
    auto m = MakeRecord();
    RecordingSink sink;
    RunCompute(*m, {"90", "30", "5"}, sink);
    double hi = -100, lo = 100;
    for (int n = 1; n <= m->m_nNode; ++n)
        hi = std::max(hi, m->m_W[n]), lo = std::min(lo, m->m_W[n]);
    for (int n : {1, 16, 1396, 2821}) {
        const int i = (n - 1) / 31, j = (n - 1) % 31;
        const int d = static_cast<int>((m->m_W[n] - lo) / (hi - lo) * 255.0);
        EXPECT_EQ(image.pixel(3 * i + 1, 93 - 3 * j - 2), qRgb(d, d, 255)) << n;
    }
    std::remove(file.c_str());
}

TEST(Batch, GermanLocaleChangesNothing)
{
    const std::vector<std::string> env = {"LANG=de_DE.UTF-8", "LC_ALL=de_DE.UTF-8"};
    const ProcessResult german = Solve({"--divx", "20", "--divy", "10", "--alpha", " 5.0"}, env);
    const ProcessResult plain = Solve({"--divx", "20", "--divy", "10", "--alpha", " 5.0"});
    EXPECT_EQ(german.status, 0);
    EXPECT_EQ(german.out, plain.out);
    EXPECT_NE(german.out.find("1.000000\t"), std::string::npos);
    EXPECT_EQ(german.out.find(','), std::string::npos);
}

TEST(Batch, HostileTextsInEveryField)
{
    hostile::Generator gen(20261210);
    int outcomes[4] = {};
    for (int n = 0; n < 1500; ++n) {
        const int field = n % 3;
        const std::string text = gen.Next();
        const std::string x = field == 0 ? text : "3";
        const std::string y = field == 1 ? text : "2";
        const std::string a = field == 2 ? text : "1.5";
        const std::vector<std::string> args = {"--divx", x, "--divy", y, "--alpha", a, "--lenient"};
        const ProcessResult r = SolveInProcess(args);
        ++outcomes[std::min(r.status, 3)];

        const int divX = hostile::ModelCount(x), divY = hostile::ModelCount(y);
        if (divX > 90 || divY > 30 || divX < 1 || divY < 1) {
            ASSERT_EQ(r.status, 1);
            ASSERT_EQ(r.out, "");
            ASSERT_EQ(r.err, divX > 90 || divY > 30
                                 ? "ｘ方向の分割数は90以下に \nｙ方向の分割数は30以下に\nして下さい。\n"
                                 : "分割数は1以上に\nして下さい。\n");
        } else {
            const RecordingSink core = CoreRun(x, y, a, true);
            const bool finite = core.lines.back() != kNonFiniteLine;
            ASSERT_EQ(r.status, finite ? 0 : 3) << text.substr(0, 60);
            ASSERT_EQ(r.out, core.table);
        }

        // Every tenth text also through the program: the same bytes and status.
        if (n % 10 == 0) {
            const ProcessResult p = Solve(args);
            ASSERT_EQ(p.status, r.status) << "crashed or differs on \"" << text.substr(0, 60) << '"';
            ASSERT_EQ(p.out, r.out);
            ASSERT_EQ(p.err, r.err);
        }
    }
    EXPECT_GT(outcomes[0], 250);
    EXPECT_GT(outcomes[1], 250);
}

}  // namespace

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t start = 0;
    while ((start = line.find_first_not_of(' ', start)) != std::string::npos) {
        const std::size_t end = line.find(' ', start);
        words.push_back(line.substr(start, end - start));
        start = end;
    }
    return words;
}

TEST(BatchResonance, WorkedExamplesOfTheHelpHold)
{
    // "  $ membrane-solve ARGS" and the indented lines below it, up to the next command.
    const std::string help = SolveInProcess({"--help"}).out;
    std::vector<std::string> lines;
    for (std::size_t start = 0, nl; (nl = help.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(help.substr(start, nl - start));
    int examples = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with("  $ membrane-solve "))
            continue;
        std::vector<std::string> args = Words(lines[i].substr(19));
        std::string expected;
        for (std::size_t j = i + 1; j < lines.size() && lines[j].starts_with("  ") &&
                                    !lines[j].starts_with("  $ ");
             ++j)
            expected += lines[j].substr(2) + '\n';
        const ProcessResult r = SolveInProcess(args);
        EXPECT_EQ(r.status, 0) << lines[i];
        EXPECT_EQ(r.out, expected) << lines[i];
        ++examples;
    }
    EXPECT_EQ(examples, 5);
}

TEST(BatchResonance, BadInputIsOneLineAndStatusTwo)
{
    const std::vector<std::vector<std::string>> rows = {
        {"--modes", "0"}, {"--modes", "abc"}, {"--modes", "2.5"}, {"--modes", ""},
        {"--divx", "1", "--divy", "1", "--modes", "1"}, {"--divx", "2", "--divy", "1", "--modes", "3"},
        {"--divx", "100000", "--divy", "100000", "--modes", "1"}, {"--divy", "0", "--modes", "1"},
        {"--divx", "2000000", "--divy", "2000", "--sweep", "0:1:2"}, {"--modes-in", "2:1"},
        {"--modes-in", "1:inf"},
        {"--modes-in", "nan:1"}, {"--modes-in", "1"}, {"--modes-in", "a:b"}, {"--modes-in", "1:2:3"},
        {"--modes-in", ":1"}, {"--sweep", "0:1:1"}, {"--sweep", "0:1:-4"}, {"--sweep", "0:1"},
        {"--sweep", "1:0:5"}, {"--sweep", "0:1e999:5"}, {"--sweep", "0:1:x"}, {"--sweep", "0:1:2.0"},
        {"--plot", "x.png"}, {"--modes", "1", "--plot", "x.png"}, {"--modes", "1", "--sweep", "0:1:2"},
        {"--modes", "1", "--list"}, {"--sweep", "0:1:2", "--map", "x.png"}, {"--threads", "2"},
        {"--modes", "1", "--threads", "0"}, {"--sweep", "0:1:2", "--threads", "two"}};
    for (const auto& args : rows) {
        const ProcessResult r = SolveInProcess(args);
        std::string shown;
        for (const std::string& a : args)
            shown += a + ' ';
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << "-> " << r.err;
        EXPECT_TRUE(r.err.starts_with("membrane-solve: ")) << shown;
    }
}

TEST(BatchResonance, SweepThroughTheProgramMatchesExactSolves)
{
    const ProcessResult r = Solve({"--divx", "12", "--divy", "5", "--sweep", "0.5:2.5:5"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> rows;
    for (std::size_t start = 0, nl; (nl = r.out.find('\n', start)) != std::string::npos; start = nl + 1)
        rows.push_back(r.out.substr(start, nl - start));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], "alpha,max_abs_w,modes_below,first_zero_pivot");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::size_t c1 = rows[i].find(','), c2 = rows[i].find(',', c1 + 1);
        const std::string alpha = rows[i].substr(0, c1);
        const std::string maxAbs = rows[i].substr(c1 + 1, c2 - c1 - 1);
        // The largest |W| that --exact writes for the same alpha text, as the same text.
        const ProcessResult exact =
            Solve({"--divx", "12", "--divy", "5", "--alpha", alpha, "--exact"});
        double largest = 0.0;
        std::size_t start = exact.out.find('\n') + 1;
        for (std::size_t end; (end = exact.out.find_first_of("\t\n", start)) != std::string::npos;
             start = end + 1) {
            double v = 0.0;
            if (std::from_chars(exact.out.data() + start, exact.out.data() + end, v).ec == std::errc())
                largest = std::max(largest, std::fabs(v));
        }
        std::string largestText;
        AppendValue(largestText, largest, ValueFormat::Shortest);
        EXPECT_EQ(maxAbs, largestText) << rows[i];
    }
}

TEST(BatchResonance, SweepOnAVanishingPivotWritesItsRowAndStatusThree)
{
    std::string alpha;
    AppendValue(alpha, VanishingPivotAlpha(), ValueFormat::Shortest);
    const ProcessResult r =
        Solve({"--divx", "2", "--divy", "1", "--sweep", alpha + ":1:2", "--quiet"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "alpha,max_abs_w,modes_below,first_zero_pivot\n" + alpha + ",nan,1,3\n1,5,2,0\n");
    EXPECT_EQ(r.err, std::string(kNonFiniteLine) + "\n");
}

TEST(BatchResonance, ModesThroughTheProgram)
{
    const ProcessResult r = Solve({"--divx", "7", "--divy", "3", "--modes", "24", "--threads", "1"});
    ASSERT_EQ(r.status, 0);
    ResonanceSearch search;
    search.divX = 7;
    search.divY = 3;
    std::string expected;
    const std::vector<double> modes = FindResonances(search, 1, 24);
    for (int k = 1; k <= 24; ++k) {
        expected += std::to_string(k) + '\t';
        AppendValue(expected, modes[k - 1], ValueFormat::Shortest);
        expected += '\n';
    }
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(Solve({"--divx", "7", "--divy", "3", "--modes-in", "0.25:0.2"}).status, 2);
    EXPECT_EQ(Solve({"--divx", "7", "--divy", "3", "--modes-in", "0.2:0.201"}).out, "");
}

TEST(BatchResonance, PlotMarksTheResonances)
{
    const std::string file = testing::TempDir() + "membrane-sweep.png";
    const ProcessResult r = SolveInProcess(
        {"--divx", "2", "--divy", "1", "--option", "off", "--sweep", "0:1:201", "--plot", file});
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage image(QString::fromStdString(file));
    ASSERT_EQ(image.size(), QSize(kSweepPlotWidth, kSweepPlotHeight));
    // The first resonance, 0.2309, is excited: a red line crosses the plot there. The second,
    // 0.7303, is not when the left edge is even: its line is grey and dashed, and no red is near.
    const auto column = [&](double alpha) {
        return static_cast<int>(std::lround(alpha / SweepPlotResolution(0.0, 1.0))) + 96;
    };
    const auto reddish = [](QRgb c) { return qRed(c) > qGreen(c) + 60 && qRed(c) > qBlue(c) + 60; };
    const auto greyish = [](QRgb c) {
        return qRed(c) < 250 && std::abs(qRed(c) - qGreen(c)) < 8 && std::abs(qRed(c) - qBlue(c)) < 8;
    };
    int red = 0, grey = 0, white = 0;
    for (int y = kSweepAreaTop + 150; y < kSweepAreaBottom; ++y) {
        red += reddish(image.pixel(column(0.2309401076758), y));
        grey += greyish(image.pixel(column(0.7302967433404), y));
        white += image.pixel(column(0.7302967433404), y) == qRgb(255, 255, 255);
        EXPECT_FALSE(reddish(image.pixel(column(0.7302967433404), y)));
    }
    EXPECT_GT(red, 200);
    EXPECT_GT(grey, 80);   // a dashed line: grey and gaps
    EXPECT_GT(white, 80);
    std::remove(file.c_str());

    // An interval whose only resonance the load does not reach: its line is dashed all the same.
    ASSERT_EQ(SolveInProcess({"--divx", "2", "--divy", "1", "--option", "off", "--sweep",
                              "0.6:0.9:31", "--plot", file}).status, 0);
    const QImage alone(QString::fromStdString(file));
    const int x = static_cast<int>(std::lround((0.7302967433404 - 0.6) / SweepPlotResolution(0.6, 0.9))) + 96;
    int redAlone = 0;
    for (int y = kSweepAreaTop + 150; y < kSweepAreaBottom; ++y)
        redAlone += reddish(alone.pixel(x, y));
    EXPECT_EQ(redAlone, 0);
    std::remove(file.c_str());

    // A resonance at the right end of the plot, where a legend inside the area would lie: its
    // line runs whole from the top of the area to the bottom; the legend sits under the axis.
    ASSERT_EQ(SolveInProcess({"--divx", "2", "--divy", "1", "--option", "off", "--sweep",
                              "0:0.24:121", "--plot", file}).status, 0);
    const QImage right(QString::fromStdString(file));
    const int xRight =
        static_cast<int>(std::lround(0.2309401076758 / SweepPlotResolution(0.0, 0.24))) + 96;
    int redRight = 0, redLegend = 0;
    for (int y = kSweepAreaTop + 1; y < kSweepAreaBottom; ++y)
        redRight += reddish(right.pixel(xRight - 1, y)) || reddish(right.pixel(xRight, y)) ||
                    reddish(right.pixel(xRight + 1, y));
    for (int x = 0; x < kSweepPlotWidth; ++x)
        redLegend += reddish(right.pixel(x, kSweepPlotHeight - 22));
    EXPECT_GT(redRight, kSweepAreaBottom - kSweepAreaTop - 30);
    EXPECT_GT(redLegend, 20);
    std::remove(file.c_str());

    const ProcessResult bad =
        SolveInProcess({"--divx", "2", "--divy", "1", "--sweep", "0:1:3", "--plot", "/nonexistent/p.png"});
    EXPECT_EQ(bad.status, 4);
}

// A figure is written in the format its file name asks for: PNG, or a PDF page or an SVG drawing
// of the figure's size whose text is text; Qt's own renderer draws the SVG as the PNG shows it.
// Another extension is refused before anything is solved.
TEST(BatchFigures, TheFormatFollowsTheFileName)
{
    const std::string dir = testing::TempDir();
    const std::vector<std::string> mesh = {"--divx", "12", "--divy", "4"};
    const auto draw = [&](const std::string& name, std::vector<std::string> more) {
        more.push_back(dir + name);
        more.insert(more.begin(), mesh.begin(), mesh.end());
        const ProcessResult r = SolveInProcess(more);
        EXPECT_EQ(r.status, 0) << name << r.err;
        return ReadWholeFile(dir + name);
    };
    const std::string png = draw("f.png", {"--figure"});
    const std::string pdf = draw("f.PDF", {"--figure"});
    const std::string svg = draw("f.svg", {"--figure"});
    EXPECT_TRUE(png.starts_with("\x89PNG\r\n"));
    EXPECT_TRUE(pdf.starts_with("%PDF-"));
    EXPECT_NE(pdf.find("/MediaBox [0 0 960.000000 380.000000]"), std::string::npos);
    EXPECT_NE(pdf.find("/FontFile"), std::string::npos);  // the text as text
    EXPECT_NE(svg.find("viewBox=\"0 0 960 380\""), std::string::npos);
    EXPECT_NE(svg.find("<text"), std::string::npos);
    EXPECT_TRUE(draw("m.svg", {"--map"}).starts_with("<?xml"));
    EXPECT_TRUE(draw("g.pdf", {"--shapes", "3", "--figure"}).starts_with("%PDF-"));
    EXPECT_TRUE(draw("s.svg", {"--sweep", "0:1:50", "--plot"}).starts_with("<?xml"));

    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    ASSERT_TRUE(renderer.isValid());
    QImage drawn(960, 380, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    renderer.render(&painter);
    painter.end();
    const QImage raster = QImage::fromData(QByteArray::fromStdString(png));
    for (const QPoint at : {QPoint(100, 100), QPoint(432, 184), QPoint(780, 290), QPoint(850, 200)})
        for (int channel = 0; channel < 3; ++channel) {
            const QRgb a = drawn.pixel(at), b = raster.pixel(at);
            const int da = channel == 0 ? qRed(a) : channel == 1 ? qGreen(a) : qBlue(a);
            const int db = channel == 0 ? qRed(b) : channel == 1 ? qGreen(b) : qBlue(b);
            EXPECT_NEAR(da, db, 3) << at.x() << "," << at.y();
        }

    const ProcessResult jpg = SolveInProcess({"--figure", dir + "f.jpg"});
    EXPECT_EQ(jpg.status, 2);
    EXPECT_EQ(jpg.out, "");
    EXPECT_EQ(jpg.err, "membrane-solve: --figure writes .png, .pdf or .svg by the file name's "
                       "extension, not '" + dir + "f.jpg'\n");
    EXPECT_FALSE(std::filesystem::exists(dir + "f.jpg"));
}

// Without a finite value the field is drawn grey, not as if it had values, and says so; the run
// reports the values as it always has. The colour bar's ticks are rounded, zero among them.
TEST(BatchFigures, NonFiniteFieldsAndTheColourBarsTicks)
{
    const std::string file = testing::TempDir() + "membrane-nonfinite.png";
    const ProcessResult r =
        SolveInProcess({"--lenient", "--alpha", "1e400", "--divx", "6", "--divy", "2", "--figure", file});
    EXPECT_EQ(r.status, 3);
    const QImage image(QString::fromStdString(file));
    EXPECT_EQ(image.pixel(432, 184), qRgb(160, 160, 160));
    std::remove(file.c_str());

    EXPECT_EQ(ColourBarTicks(-4.9, 5.0), (std::vector<double>{-4, -2, 0, 2, 4}));
    EXPECT_EQ(ColourBarTicks(-1e-3, 5.0), (std::vector<double>{0, 2, 4}));
    EXPECT_EQ(ColourBarTicks(0.2, 0.9).size(), 4u);
    EXPECT_TRUE(ColourBarTicks(1.0, 1.0).empty());
    EXPECT_TRUE(ColourBarTicks(-HUGE_VAL, 1.0).empty());
}

}  // namespace

namespace {

std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BatchExport, FilesOfTheProgramHoldTheCoresResults)
{
    const std::string dir = testing::TempDir() + "membrane-export/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const ProcessResult r = Solve({"--divx", "20", "--divy", "8", "--alpha", "2.5", "--csv",
                                   dir + "w.csv", "--vtk", dir + "w.vtk", "--figure",
                                   dir + "w.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, CoreRun("20", "8", "2.5", true).table);  // standard output as before

    auto m = MakeRecord();
    RecordingSink sink;
    RunCompute(*m, {"20", "8", "2.5"}, sink);
    EXPECT_EQ(ReadWholeFile(dir + "w.csv"), NodeCsv(*m));
    EXPECT_EQ(ReadWholeFile(dir + "w.vtk"),
              RectilinearVtk(*m, "W on the membrane: 20 x 8 divisions, alpha 2.5, option on"));

    // The figure: the domain 720 x 240 from (72, 64); the colour bar beside it runs from white
    // at its top to blue at its bottom.
    const QImage figure(QString::fromStdString(dir + "w.png"));
    ASSERT_EQ(figure.size(), QSize(kFigureWidth, kFigureHeight));
    EXPECT_EQ(figure.pixel(72 + 720 + 44 + 10, 64), qRgb(255, 255, 255));
    EXPECT_EQ(figure.pixel(72 + 720 + 44 + 10, 64 + 239), qRgb(0, 0, 255));
    // Mid-height at the left edge the peak, 5.0, the highest value: all but white; at the right
    // edge 0.0, well below it.
    EXPECT_GE(qRed(figure.pixel(72, 64 + 120)), 250);
    EXPECT_LT(qRed(figure.pixel(72 + 719, 64 + 120)), 200);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"w.csv", "w.png", "w.vtk"}));
    std::filesystem::remove_all(dir);
}

TEST(BatchExport, AFileThatCannotBeWrittenLeavesNothing)
{
    const std::string dir = testing::TempDir() + "membrane-unwritable/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "taken.csv");  // a folder in the way
    std::filesystem::create_directories(dir + "taken.png");
    for (const std::string option : {"--csv", "--vtk", "--figure", "--map"}) {
        const std::string taken = dir + (option == "--figure" || option == "--map" ? "taken.png"
                                                                                   : "taken.csv");
        for (const std::string& target : {taken, dir + "no-such-folder/out"}) {
            const ProcessResult r = SolveInProcess({"--divx", "3", "--divy", "2", option, target});
            EXPECT_EQ(r.status, 4) << option << " " << target;
            EXPECT_TRUE(r.err.starts_with("membrane-solve: cannot write " + target + ": ")) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            EXPECT_EQ(Entries(dir), (std::vector<std::string>{"taken.csv", "taken.png"})) << option;
            EXPECT_TRUE(std::filesystem::is_directory(dir + "taken.csv"));
        }
    }
    std::filesystem::remove_all(dir);
}

}  // namespace


namespace {

// The program's front of the outputs: "-" instead of the table, a descriptor after it, and a
// drawing library that is not there.
TEST(BatchOutputs, StandardOutputAsAFile)
{
    auto m = MakeRecord();
    RecordingSink sink;
    RunCompute(*m, {"6", "3", "1.5"}, sink);
    const std::vector<std::string> mesh = {"--divx", "6", "--divy", "3", "--alpha", "1.5"};

    std::vector<std::string> args = mesh;
    args.insert(args.end(), {"--csv", "-"});
    ProcessResult r = Solve(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, NodeCsv(*m));  // the CSV instead of the table

    // /dev/stdout is written in place after the table; standard output here is a regular file.
    args = mesh;
    args.insert(args.end(), {"--csv", "/dev/stdout"});
    r = Solve(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, sink.table + NodeCsv(*m));

    r = Solve({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("membrane-solve ") + MEMBRANE_VERSION + "\n");
}

TEST(BatchOutputs, WithoutItsDrawingLibraryTheProgramSolvesAndRefusesImages)
{
    const std::string dir = testing::TempDir() + "membrane-alone/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(MEMBRANE_SOLVE, dir + "membrane-solve");
    const std::string alone = dir + "membrane-solve";

    ProcessResult r = RunProcess(alone, {"--divx", "2", "--divy", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, CoreRun("2", "1", " 5.0", true).table);
    for (const std::string option : {"--map", "--figure"}) {
        r = RunProcess(alone, {"--divx", "2", "--divy", "1", option, dir + "w.png"});
        EXPECT_EQ(r.status, 4) << option;
        EXPECT_TRUE(r.err.starts_with("membrane-solve: cannot draw " + dir + "w.png: the drawing "
                                      "library cannot be loaded")) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir + "w.png"));
    }
    r = RunProcess(alone, {"--divx", "2", "--divy", "1", "--sweep", "0:1:3", "--plot", dir + "p.png"});
    EXPECT_EQ(r.status, 4);
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

// The shapes through the tool: the same numbers as the solver's, in the forms of a single solve,
// the details, the gallery, and the refusals.
TEST(BatchShapes, ShapeIsWrittenAsTheSolverFindsIt)
{
    ResonanceSearch search;
    search.divX = 12;
    search.divY = 4;
    const ModeShape shape = FindShapes(search, true, 7, 7).front();
    auto m = MakeRecord();
    SetCounts(*m, 12, 4);
    std::copy(shape.phi.begin(), shape.phi.end(), m->m_W);

    const std::string dir = testing::TempDir() + "membrane-shape/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const ProcessResult r = SolveInProcess({"--divx", "12", "--divy", "4", "--shape", "7", "--exact",
                                            "--csv", dir + "s.csv", "--figure", dir + "s.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, BuildTable(*m, ValueFormat::Shortest));
    EXPECT_EQ(ReadWholeFile(dir + "s.csv"), NodeCsv(*m));
    // The figure: negative values blue, positive red, on a bar from red at its top to blue.
    const QImage figure(QString::fromStdString(dir + "s.png"));
    ASSERT_EQ(figure.size(), QSize(kFigureWidth, kFigureHeight));
    const QRgb top = figure.pixel(72 + 720 + 44 + 10, 64), bottom = figure.pixel(72 + 720 + 44 + 10, 64 + 239);
    EXPECT_GT(qRed(top), qBlue(top) + 100);
    EXPECT_GT(qBlue(bottom), qRed(bottom) + 100);
    std::filesystem::remove_all(dir);
}

TEST(BatchShapes, DetailsListTheShapesLabelsAndParticipation)
{
    ResonanceSearch search;
    search.divX = 9;
    search.divY = 3;
    const std::vector<ModeShape> shapes = FindShapes(search, false, 1, 6);
    std::string expected = "index,alpha,kx,ky,participation,alpha_continuum\n";
    for (const ModeShape& s : shapes) {
        expected += std::to_string(s.index) + ',';
        AppendValue(expected, s.alpha, ValueFormat::Shortest);
        expected += ',' + std::to_string(s.kx) + ',' + std::to_string(s.ky) + ',';
        AppendValue(expected, s.participation, ValueFormat::Shortest);
        expected += ',';
        AppendValue(expected, ContinuumAlpha(s.kx, s.ky), ValueFormat::Shortest);
        expected += '\n';
    }
    const ProcessResult r =
        SolveInProcess({"--divx", "9", "--divy", "3", "--option", "off", "--modes", "6", "--details"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);

    // An interval reaching below zero lists -a' with the shape of a'.
    const ProcessResult in = SolveInProcess({"--divx", "9", "--divy", "3", "--option", "off",
                                             "--modes-in", "-0.3:0.3", "--details"});
    ASSERT_EQ(in.status, 0) << in.err;
    const std::string first = expected.substr(expected.find('\n') + 1);
    const std::string row1 = first.substr(0, first.find('\n'));
    EXPECT_NE(in.out.find("\n1,-" + row1.substr(2, row1.rfind(',') - 1) + "-"), std::string::npos)
        << in.out;
}

TEST(BatchShapes, GalleryAndRefusals)
{
    const std::string file = testing::TempDir() + "membrane-gallery.png";
    ProcessResult r =
        SolveInProcess({"--divx", "20", "--divy", "8", "--shapes", "7", "--figure", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const QImage gallery(QString::fromStdString(file));
    EXPECT_EQ(gallery.width(), 2 * 24 + 3 * 300 + 2 * 24);  // three panels a row
    std::remove(file.c_str());

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--divx", "2", "--divy", "1", "--shape", "3"},
          {"--divx", "2", "--divy", "1", "--shape", "0"},
          {"--divx", "1", "--divy", "5", "--shape", "1"},
          {"--shapes", "37", "--figure", "x.png"},
          {"--divx", "2", "--divy", "1", "--shapes", "3", "--figure", "x.png"},
          {"--shapes", "3"},
          {"--details"},
          {"--sweep", "0:1:3", "--details"},
          {"--shape", "1", "--list"}}) {
        r = SolveInProcess(bad);
        EXPECT_EQ(r.status, 2) << bad[0] << " " << bad.back();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_NE(SolveInProcess({"--divx", "1", "--divy", "5", "--shape", "1"}).err.find("no resonance"),
              std::string::npos);
}

}  // namespace

namespace {

// Beyond the dialog's limits the tool solves on a record sized to the mesh: the same report as
// the command makes on such a record, the resonances of the discrete closed form, and a mesh
// too large for the memory refused in one line. With --lenient, the dialog's limits.
TEST(BatchBeyondTheDialog, SolvesOnStorageSizedToTheMesh)
{
    // The values solve the mesh's equations: alpha^2 M - K, applied element by element by the
    // eigen side's operator, vanishes on every free node to rounding, and the fixed nodes hold
    // the edges' values.
    const int divX = 120, divY = 40;
    const double alpha = 2.5;
    const ProcessResult r =
        SolveInProcess({"--divx", "120", "--divy", "40", "--alpha", "2.5", "--exact"});
    ASSERT_EQ(r.status, 0) << r.err;
    const MeshOperator mesh(divX, divY, true);
    NodeVector w(mesh.Nodes() + 1, 0.0);
    std::istringstream table(r.out);
    std::string line;
    std::getline(table, line);  // the header of row numbers
    for (int i = 0; i <= divX; ++i) {
        ASSERT_TRUE(std::getline(table, line));
        std::istringstream cells(line);
        for (int j = 0; j <= divY; ++j)
            cells >> w[mesh.Node(i, j)];
    }
    NodeVector residual;
    mesh.Apply(-1.0, alpha * alpha, w, residual);
    double largest = 0.0, worst = 0.0;
    for (int n = 1; n <= mesh.Nodes(); ++n) {
        largest = std::max(largest, std::fabs(w[n]));
        if (mesh.Fixed(n))
            EXPECT_EQ(w[n], mesh.Load()[n]) << n;
        else
            worst = std::max(worst, std::fabs(residual[n]));
    }
    EXPECT_LT(worst, 1e-11 * mesh.StiffnessNorm() * largest);
    // The list holds the counts, then every value in "%.6f".
    const ProcessResult listed =
        SolveInProcess({"--divx", "120", "--divy", "40", "--alpha", "2.5", "--list"});
    std::istringstream lines(listed.out);
    std::getline(lines, line);
    EXPECT_EQ(line, "Number of Element = 4800");
    std::getline(lines, line);
    EXPECT_EQ(line, "Number of Node = 4961");
    int values = 0;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        char expected[64];
        std::snprintf(expected, sizeof expected, "W(%d) = %.6f", values + 1, w[values + 1]);
        EXPECT_EQ(line, expected);
        ++values;
    }
    EXPECT_EQ(values, mesh.Nodes());

    const ProcessResult lenient = SolveInProcess({"--divx", "120", "--lenient"});
    EXPECT_EQ(lenient.status, 1);
    EXPECT_EQ(lenient.err, "ｘ方向の分割数は90以下に \nｙ方向の分割数は30以下に\nして下さい。\n");

    // The sparse factorisation: the same table to the printed digits here, refused within the
    // dialog's limits, where the band elimination alone solves.
    const ProcessResult sparse = SolveInProcess(
        {"--divx", "120", "--divy", "40", "--alpha", "2.5", "--solver", "sparse", "--quiet"});
    EXPECT_EQ(sparse.status, 0) << sparse.err;
    EXPECT_EQ(sparse.out, SolveInProcess({"--divx", "120", "--divy", "40", "--alpha", "2.5"}).out);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--solver", "sparse"}, {"--divx", "120", "--solver", "lu"}}) {
        const ProcessResult r = SolveInProcess(bad);
        EXPECT_EQ(r.status, 2) << bad.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }

    const ProcessResult huge = SolveInProcess({"--divx", "60000", "--divy", "30000"});
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.out, "");
    EXPECT_TRUE(huge.err.starts_with("membrane-solve: a 60000 x 30000 mesh needs ")) << huge.err;
    EXPECT_EQ(std::count(huge.err.begin(), huge.err.end(), '\n'), 1) << huge.err;
}

TEST(BatchBeyondTheDialog, ResonancesOfTheDiscreteClosedForm)
{
    // A line of linear elements of length h has the eigenvalues 6/h^2 (1 - cos t)/(2 + cos t),
    // t = pi k / n: sines fixed at both ends along x (k = 1..divX - 1), cosines free at both ends
    // along y (k = 0..divY); the membrane's are their sums.
    const int divX = 120, divY = 40;
    std::vector<double> lambda;
    const auto line = [](double h, int k, int n) {
        const double c = std::cos(std::numbers::pi * k / n);
        return 6.0 / (h * h) * (1.0 - c) / (2.0 + c);
    };
    for (int p = 1; p < divX; ++p)
        for (int q = 0; q <= divY; ++q)
            lambda.push_back(line(15.0 / divX, p, divX) + line(5.0 / divY, q, divY));
    std::sort(lambda.begin(), lambda.end());
    const ProcessResult r =
        SolveInProcess({"--divx", "120", "--divy", "40", "--modes", "4", "--threads", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    int index = 0;
    double alpha = 0.0;
    for (int k = 1; k <= 4; ++k) {
        ASSERT_TRUE(lines >> index >> alpha);
        EXPECT_EQ(index, k);
        EXPECT_NEAR(alpha, std::sqrt(lambda[k - 1]), 1e-11 * alpha) << "resonance " << k;
    }
}

}  // namespace

namespace {

// The study through the tool: its tables, and what it refuses in one line.
TEST(BatchStudy, TablesAndRefusals)
{
    ProcessResult r = SolveInProcess({"--study", "--alpha", "2", "--option", "off", "--ladder",
                                      "15x5,30x10,60x20"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<SolutionErrors> rows = StudySolution(2.0, {{15, 5}, {30, 10}, {60, 20}});
    EXPECT_TRUE(r.out.starts_with("divx,divy,h,points_per_wavelength,max_nodal_error,l2_error,"
                                  "h1_error,order_max_nodal,order_l2,order_h1\n15,5,1,"));
    EXPECT_NE(r.out.find("\n60,20,0.25,"), std::string::npos);
    std::string l2;
    AppendValue(l2, rows.back().l2, ValueFormat::Shortest);
    EXPECT_NE(r.out.find(',' + l2 + ','), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 4);

    const std::string plot = testing::TempDir() + "membrane-study.png";
    r = SolveInProcess({"--study", "--modes", "2", "--ladder", "15x5,30x10", "--plot", plot});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(QImage(QString::fromStdString(plot)).size(), QSize(960, 600));
    std::remove(plot.c_str());
    EXPECT_TRUE(r.out.starts_with("index,kx,ky,divx,divy,h,alpha,alpha_continuum,error,order\n"
                                  "1,1,0,15,5,1,"));
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 5);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--study"},  // the option is on by default
          {"--study", "--option", "off", "--alpha", "3.141592653589793"},  // 15 alpha = 15 pi
          {"--study", "--option", "off", "--alpha", "nan"},  // read strictly, as a solve reads it
          {"--study", "--option", "off", "--ladder", "30x10,15x5"},
          {"--study", "--option", "off", "--csv", "x.csv"},
          {"--study", "--modes", "0"}}) {
        r = SolveInProcess(bad);
        EXPECT_EQ(r.status, 2) << bad.back();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

}  // namespace
