// The value lines and the table text: printf's "%.6f" in the C locale, whole lines for values
// of any size, and the shortest round-trip form.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>
#include <string>

#include "ScopedLocale.h"
#include "TestSupport.h"
#include "present/ReportText.h"
#include "present/ShortestText.h"
#include "solver/DecimalDigits.h"

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
    auto m = MakeRecord();
    SetCounts(*m, 1, 1);
    m->m_W[1] = 1e45;
    m->m_W[2] = -3e300;
    RecordingSink sink;
    ListSolution(*m, sink);
    EXPECT_EQ(sink.lines[1], "W(1) = 999999999999999929757289024535551219930759168.000000");
    EXPECT_EQ(sink.lines[2].size(), std::strlen("W(2) = -") + 301 + 7);
    EXPECT_NE(BuildTable(*m).find("\t-3000000000"), std::string::npos);
}

// The fast exact path of "%.6f" against the general formatter and the C library, over every
// magnitude, the ties at half a millionth, and the ends of the fast range.
TEST(ReportText, FixedSixOfEveryMagnitude)
{
    const ScopedLocale c("C");
    std::mt19937_64 rng(7);
    std::vector<double> values = {0.0, -0.0, 0.5e-6, 1.5e-6, 2.5e-6, -2.5e-6, 0.1234565,
                                  9007199254740993.0, 9223372036854774784.0, 9223372036854775808.0,
                                  -9223372036854775808.0, 1e19, 4.9e-324, -4.9e-324, 0.9999995,
                                  1.0 / 128, 3.0 / 128, -5.0 / 128, 1e6 + 1.0 / 128};  // exact ties
    for (int n = 0; n < 200000; ++n) {
        const std::uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);                                             // any bits
        values.push_back(std::ldexp(static_cast<double>(rng() >> 11), -static_cast<int>(rng() % 90)));
        values.push_back(static_cast<double>(static_cast<std::int64_t>(rng() % 2000001) - 1000000) /
                         2e6);                                           // many exact ties
    }
    char buf[400], lib[400];
    for (double v : values) {
        std::string s;
        AppendValue(s, v);
        const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6).ptr;
        ASSERT_EQ(s, std::string(buf, end)) << std::hexfloat << v;
        if (std::isfinite(v)) {
            std::snprintf(lib, sizeof lib, "%.6f", v);
            ASSERT_EQ(s, lib) << std::hexfloat << v;
        }
    }
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

namespace {

// The texts of printf and strtod, for a C++ library without floating-point to_chars, against
// to_chars itself: random bit patterns of every magnitude, values of a few digits, powers of two
// (whose gap to the next double is wider above than below), and the special values.
TEST(ReportText, PrintfTextsAreToCharsTexts)
{
    std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.1, 5e-324, 1.7976931348623157e308,
                                  2.2250738585072014e-308, 1e21, 1e22, 123456.0, 1e-7, 9.5,
                                  HUGE_VAL, -HUGE_VAL, std::nan(""), -std::nan("")};
    std::mt19937_64 random(20261210);
    for (int k = 0; k < 20000; ++k) {
        std::uint64_t bits = random();
        double v = 0.0;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
        values.push_back(static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000) /
                         std::pow(10.0, static_cast<double>(random() % 9)));
    }
    for (int e = -1074; e <= 1023; ++e)
        values.push_back(std::ldexp(1.0, e));
    for (double v : values) {
        char buf[400];
        const auto shortest = std::to_chars(buf, buf + sizeof buf, v);
        ASSERT_EQ(ShortestText(v), std::string(buf, shortest.ptr)) << std::hexfloat << v;
        const auto fixed = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
        ASSERT_EQ(FixedSixText(v), std::string(buf, fixed.ptr)) << std::hexfloat << v;
        if (std::isfinite(v)) {
            for (int digits : {1, 7, 13, 17})
                ASSERT_EQ(RoundedToDigitsByPrintf(v, digits), RoundedToDigits(v, digits))
                    << std::hexfloat << v << " to " << digits;
        }
    }
}

}  // namespace
