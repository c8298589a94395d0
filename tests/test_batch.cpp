// membrane-solve as a script uses it: bytes on standard output, messages on standard error,
// exit statuses, exact values and the PNG map. Most cases run the program itself; the many
// generated texts run the same function in this process, and a sample of them the program.
#include <gtest/gtest.h>

#include <QImage>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "HostileTexts.h"
#include "RunProcess.h"
#include "TestSupport.h"
#include "batch/SolveTool.h"
#include "command/ComputeCommand.h"

namespace {

ProcessResult Solve(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
{
    return RunProcess(MEMBRANE_SOLVE, args, env);
}

// The tool's function with its output and messages captured in memory.
ProcessResult SolveInProcess(const std::vector<std::string>& args)
{
    char* outData = nullptr;
    char* errData = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outData, &outSize);
    std::FILE* err = open_memstream(&errData, &errSize);
    const std::vector<std::string_view> views(args.begin(), args.end());
    ProcessResult r;
    r.status = RunSolveTool(views, out, err);
    std::fclose(out);
    std::fclose(err);
    r.out.assign(outData, outSize);
    r.err.assign(errData, errSize);
    std::free(outData);
    std::free(errData);
    return r;
}

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
    EXPECT_EQ(r.err, "");
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

    r = Solve({"--divx", " 45", "--divy", "+15", "--alpha", "2.5e0xyz", "--list"});
    EXPECT_EQ(r.out, Joined(CoreRun("45", "15", "2.5", true).lines));
}

TEST(Batch, ExactValuesReadBackToTheSameDoubles)
{
    auto m = MakeModel();
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
    ProcessResult r = Solve({"--divx", "91"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ｘ方向の分割数は90以下に \nｙ方向の分割数は30以下に\nして下さい。\n");

    r = Solve({"--divy", "0"});
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

    r = Solve({"--divx", "4", "--divy", "2", "--alpha", "1e200"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, CoreRun("4", "2", "1e200", true).table);
    EXPECT_EQ(r.err, "解に有限でない値があります。αを変えて下さい。\n");

    r = Solve({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: membrane-solve", 0), 0u);

    r = Solve({"--divx", "2", "--divy", "1", "--map", "/nonexistent-dir/map.png"});
    EXPECT_EQ(r.status, 4);
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
    auto m = MakeModel();
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
    for (int n = 0; n < 3000; ++n) {
        const int field = n % 3;
        const std::string text = gen.Next();
        const std::string x = field == 0 ? text : "3";
        const std::string y = field == 1 ? text : "2";
        const std::string a = field == 2 ? text : "1.5";
        const std::vector<std::string> args = {"--divx", x, "--divy", y, "--alpha", a};
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
    EXPECT_GT(outcomes[0], 500);
    EXPECT_GT(outcomes[1], 500);
}

}  // namespace
