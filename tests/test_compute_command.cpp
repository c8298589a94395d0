// The compute command as a front end sees it: the lines, their order, the table text, and
// what a rejected input leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "ScopedLocale.h"
#include "TestSupport.h"
#include "command/ComputeCommand.h"

namespace {

const std::vector<std::string> kOverLimit = {"ｘ方向の分割数は90以下に ", "ｙ方向の分割数は30以下に",
                                             "して下さい。"};
const std::vector<std::string> kBelowOne = {"分割数は1以上に", "して下さい。"};

TEST(ComputeCommand, OneElementListAndTable)
{
    auto m = MakeRecord();
    m->m_bOption = 0;
    RecordingSink sink;
    EXPECT_EQ(RunCompute(*m, {"1", "1", "5.0"}, sink), ComputeOutcome::Solved);
    const std::vector<std::string> lines = {"Number of Element = 1", "Number of Node = 4", "",
                                            "W(1) = 1.000000", "W(2) = 1.000000", "",
                                            "W(3) = 0.000000", "W(4) = 0.000000"};
    EXPECT_EQ(sink.lines, lines);
    EXPECT_EQ(sink.table, "1\t2\t\n1.000000\t1.000000\t\n0.000000\t0.000000\t\n");
    EXPECT_EQ(sink.table.size(), 43u);
    EXPECT_EQ(m->m_bSolved, 1);
    // The repaint is requested after the head lines and before the value lines.
    const std::vector<std::string> events = {"reset", "repaint:2", "table:8"};
    EXPECT_EQ(sink.events, events);
}

TEST(ComputeCommand, DefaultsListAndTableShape)
{
    auto m = MakeRecord();
    RecordingSink sink;
    EXPECT_EQ(RunCompute(*m, {" 90", " 30", " 5.0"}, sink), ComputeOutcome::Solved);
    ASSERT_EQ(sink.lines.size(), 2914u);
    EXPECT_EQ(sink.lines[0], "Number of Element = 2700");
    EXPECT_EQ(sink.lines[1], "Number of Node = 2821");
    // Group lines ahead of nodes 1, 32, 63, ..., 2791; W(10) follows W(9).
    int groups = 0;
    for (std::size_t i = 2; i < sink.lines.size(); ++i) {
        if (sink.lines[i].empty()) {
            ++groups;
            const int next = std::stoi(sink.lines[i + 1].substr(2));
            EXPECT_EQ(next % 31, 1) << "group line before node " << next;
        }
    }
    EXPECT_EQ(groups, 91);
    EXPECT_EQ(sink.lines[11].rfind("W(9) = ", 0), 0u);
    EXPECT_EQ(sink.lines[12].rfind("W(10) = ", 0), 0u);
    EXPECT_EQ(sink.lines.back().rfind("W(2821) = ", 0), 0u);

    // 92 lines of 31 cells, each cell followed by a tab, each line by a line feed.
    std::vector<std::string> tableLines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = sink.table.find('\n', start)) != std::string::npos; start = nl + 1)
        tableLines.push_back(sink.table.substr(start, nl - start));
    EXPECT_EQ(start, sink.table.size());
    ASSERT_EQ(tableLines.size(), 92u);
    for (const std::string& l : tableLines) {
        EXPECT_EQ(std::count(l.begin(), l.end(), '\t'), 31);
        EXPECT_EQ(l.back(), '\t');
    }
    EXPECT_EQ(sink.table.find('\r'), std::string::npos);
    EXPECT_EQ(tableLines[0].substr(0, 7), "1\t2\t3\t4");
    EXPECT_EQ(tableLines[0].substr(tableLines[0].size() - 4), "\t31\t");
    // The peak: nodes 15, 16 and 17 on the left edge, and the value cells in node order.
    EXPECT_EQ(sink.lines[2 + 1 + 14], "W(15) = 4.000000");
    EXPECT_EQ(sink.lines[2 + 1 + 15], "W(16) = 5.000000");
    std::string expected;
    for (int n = 2791; n <= 2821; ++n) {
        AppendValue(expected, m->m_W[n]);
        expected += '\t';
    }
    EXPECT_EQ(tableLines[91] + '\t', expected + '\t');
}

TEST(ComputeCommand, OverLimitRejection)
{
    const struct {
        const char *x, *y;
    } rows[] = {{"91", "30"}, {"90", "31"}, {"100", "100"}, {"91", "0"}, {"-5", "31"},
                {"99999999999", "1"}};
    for (const auto& r : rows) {
        auto m = MakeRecord();
        RecordingSink sink;
        EXPECT_EQ(RunCompute(*m, {r.x, r.y, "5"}, sink), ComputeOutcome::Rejected);
        EXPECT_EQ(sink.lines, kOverLimit) << r.x << " " << r.y;
        EXPECT_EQ(sink.repaints, 0);
        EXPECT_EQ(sink.tables, 0);
        EXPECT_EQ(m->m_bSolved, 0);
    }
}

TEST(ComputeCommand, BelowOneRejection)
{
    for (const char* bad : {"0", "-3", "", "abc", "\xef\xbc\x99\xef\xbc\x90", "-99999999999"}) {
        for (bool badIsX : {true, false}) {
            auto m = MakeRecord();
            RecordingSink sink;
            const ComputeInputs in = badIsX ? ComputeInputs{bad, "5", "1"}
                                            : ComputeInputs{"5", bad, "1"};
            EXPECT_EQ(RunCompute(*m, in, sink), ComputeOutcome::Rejected);
            EXPECT_EQ(sink.lines, kBelowOne) << '"' << bad << '"';
            EXPECT_EQ(sink.repaints, 0);
            EXPECT_EQ(sink.tables, 0);
            EXPECT_EQ(m->m_bSolved, 0);
        }
    }
}

TEST(ComputeCommand, RejectionAfterAcceptedKeepsTheRecord)
{
    auto m = MakeRecord();
    RecordingSink sink;
    RunCompute(*m, {"7", "3", "1.5"}, sink);
    const std::string table = sink.table;
    auto before = MakeRecord();
    std::memcpy(before.get(), m.get(), sizeof(MembraneModel));

    RunCompute(*m, {"0", "12", "2.5"}, sink);
    EXPECT_EQ(sink.lines, kBelowOne);
    EXPECT_EQ(sink.table, table);
    EXPECT_EQ(m->m_nDivX, 0);
    EXPECT_EQ(m->m_nDivY, 12);
    EXPECT_EQ(m->m_dAlpha, 2.5);
    EXPECT_EQ(m->m_bSolved, 0);
    EXPECT_EQ(m->m_nNode, before->m_nNode);
    EXPECT_EQ(m->m_nElem, before->m_nElem);
    EXPECT_EQ(std::memcmp(m->m_K, before->m_K, sizeof m->m_K), 0);
    EXPECT_EQ(std::memcmp(m->m_W, before->m_W, sizeof m->m_W), 0);
    EXPECT_EQ(std::memcmp(m->m_bndValue, before->m_bndValue, sizeof m->m_bndValue), 0);

    RunCompute(*m, {"91", "12", "2.5"}, sink);
    EXPECT_EQ(sink.lines, kOverLimit);
    EXPECT_EQ(std::memcmp(m->m_W, before->m_W, sizeof m->m_W), 0);
}

TEST(ComputeCommand, RepeatedPressGivesSameLines)
{
    auto m = MakeRecord();
    RecordingSink first, second;
    RunCompute(*m, {"45", "15", "3"}, first);
    RunCompute(*m, {"45", "15", "3"}, second);
    EXPECT_EQ(first.lines, second.lines);
    EXPECT_EQ(first.table, second.table);
}

TEST(ComputeCommand, NonFiniteValuesAreListedAndFlagged)
{
    auto m = MakeRecord();
    RecordingSink sink;
    EXPECT_EQ(RunCompute(*m, {"4", "2", "1e200"}, sink), ComputeOutcome::SolvedNonFinite);
    EXPECT_EQ(sink.lines.back(), "解に有限でない値があります。αを変えて下さい。");
    EXPECT_EQ(sink.lines.size(), 2u + 5u + 15u + 1u);
    EXPECT_NE(sink.table.find("nan\t"), std::string::npos);
    EXPECT_EQ(m->m_bSolved, 1);
    EXPECT_EQ(sink.tables, 1);

    RecordingSink finite;
    EXPECT_EQ(RunCompute(*m, {"4", "2", "1"}, finite), ComputeOutcome::Solved);
    EXPECT_EQ(finite.lines.back().rfind("W(15) = ", 0), 0u);
}

TEST(ComputeCommand, CommaDecimalLocaleChangesNothing)
{
    auto m = MakeRecord();
    RecordingSink reference;
    RunCompute(*m, {" 20", " 10", " 5.0"}, reference);

    const ScopedLocale german("de_DE.UTF-8");
    if (!german.Active())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5");  // the locale really is in force
    RecordingSink underGerman;
    RunCompute(*m, {" 20", " 10", " 5.0"}, underGerman);
    EXPECT_EQ(m->m_dAlpha, 5.0);
    EXPECT_EQ(underGerman.lines, reference.lines);
    EXPECT_EQ(underGerman.table, reference.table);
}

}  // namespace
