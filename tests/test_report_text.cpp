// The value lines and the table text: printf's "%.6f" in the C locale, whole lines for values
// of any size, and the shortest round-trip form.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "ScopedLocale.h"
#include "TestSupport.h"
#include "present/ReportText.h"

namespace {

TEST(ReportText, FixedSixLikePrintfInTheCLocale)
{
    const ScopedLocale c("C");
    const struct {
        double v;
        const char* text;
    } rows[] = {{1.0, "1.000000"}, {0.5, "0.500000"}, {-0.0000004, "-0.000000"},
                {-0.0, "-0.000000"}, {0.0000005, "0.000000"}, {0.0000015, "0.000002"},
                {-1.0864586, "-1.086459"}, {0.1234567, "0.123457"}, {1e15, "1000000000000000.000000"},
                {1e45, "999999999999999929757289024535551219930759168.000000"}};
    for (const auto& r : rows) {
        std::string s;
        AppendValue(s, r.v);
        EXPECT_EQ(s, r.text);
        char c[400];
        std::snprintf(c, sizeof c, "%.6f", r.v);
        EXPECT_EQ(s, c);
    }
    std::string huge;
    AppendValue(huge, -1.7976931348623157e308);
    EXPECT_EQ(huge.size(), 1u + 309u + 7u);
    for (double v : {NAN, -NAN, INFINITY, -INFINITY}) {
        std::string s;
        AppendValue(s, v);
        char c[16];
        std::snprintf(c, sizeof c, "%.6f", v);
        EXPECT_EQ(s, c);
    }
}

TEST(ReportText, HugeValuesAreListedWhole)
{
    auto m = MakeModel();
    SetCounts(*m, 1, 1);
    m->m_W[1] = 1e45;
    m->m_W[2] = -3e300;
    RecordingSink sink;
    ListSolution(*m, sink);
    EXPECT_EQ(sink.lines[1], "W(1) = 999999999999999929757289024535551219930759168.000000");
    EXPECT_EQ(sink.lines[2].size(), std::strlen("W(2) = -") + 301 + 7);
    EXPECT_NE(BuildTable(*m).find("\t-3000000000"), std::string::npos);
}

TEST(ReportText, ShortestReadsBackToTheSameDouble)
{
    std::mt19937_64 rng(42);
    for (int n = 0; n < 20000; ++n) {
        double v;
        const std::uint64_t bits = rng();
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v))
            continue;
        std::string s;
        AppendValue(s, v, ValueFormat::Shortest);
        double back = 0.0;
        std::from_chars(s.data(), s.data() + s.size(), back);
        ASSERT_EQ(std::memcmp(&back, &v, sizeof v), 0) << s;
    }
}

}  // namespace
