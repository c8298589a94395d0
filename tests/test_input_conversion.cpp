// Conversion of the input texts: the atoi/atof rules, saturation, the "d" exponent, and no
// dependence on the locale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "ScopedLocale.h"
#include "command/InputConversion.h"

namespace {

TEST(ConvertCount, Table)
{
    const struct {
        const char* text;
        int expected;
    } rows[] = {
        {" 90", 90},
        {"  45", 45},
        {"+30", 30},
        {"-3", -3},
        {"90abc", 90},
        {"3.9", 3},
        {"1e1", 1},
        {"abc", 0},
        {"", 0},
        {"\t\n\v\f\r 7", 7},
        {"- 5", 0},
        {"+-5", 0},
        {"\xef\xbc\x99\xef\xbc\x90", 0},  // 90 in full-width digits
        {"\xe3\x80\x80" "5", 0},           // ideographic space is not white space
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999999999999999", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-2147483649", -2147483647 - 1},
        {"-99999999999999999999999", -2147483647 - 1},
        {"000000000000000000000000091", 91},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ConvertCount(r.text), r.expected) << '"' << r.text << '"';
}

TEST(ConvertAlpha, Table)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* text;
        double expected;
    } rows[] = {
        {" 5.0", 5.0},
        {"2.5e1", 25.0},
        {"1d1", 10.0},
        {"1D-1", 0.1},
        {"1E+2", 100.0},
        {"-3", -3.0},
        {"abc", 0.0},
        {"", 0.0},
        {".5", 0.5},
        {"5.", 5.0},
        {".", 0.0},
        {"1.2.3", 1.2},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"1ex", 1.0},
        {"nan", 0.0},
        {"inf", 0.0},
        {"infinity", 0.0},
        {"0x10", 0.0},
        {"1,5", 1.0},
        {"  +0.1", 0.1},
        {"0.1e-0", 0.1},
        {"1e400", inf},
        {"-1e400", -inf},
        {"1e99999999999999999999", inf},
        {"1.8e308", inf},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"1e-400", 0.0},
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"2.5e-324", 4.9406564584124654e-324},
        {"2e-324", 0.0},
        {"1e-310", 1e-310},
        {"0.000000000000000000000000000000000001e36", 1.0},
        {"123456789012345678901234567890", 123456789012345678901234567890.0},
        {"\xef\xbc\x95", 0.0},  // full-width 5
    };
    for (const auto& r : rows)
        EXPECT_EQ(ConvertAlpha(r.text), r.expected) << '"' << r.text << '"';
    EXPECT_TRUE(std::signbit(ConvertAlpha("-0")));
    EXPECT_TRUE(std::signbit(ConvertAlpha("-1e-999")));
    EXPECT_FALSE(std::signbit(ConvertAlpha("-x")));
}

TEST(ConvertAlpha, LongTexts)
{
    // 100 000 digits: correctly rounded, no overflow of the exponent arithmetic.
    const std::string ones(100000, '1');
    EXPECT_EQ(ConvertAlpha(ones), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ConvertAlpha("0." + std::string(99990, '0') + "1e99991"), 1.0);
    EXPECT_EQ(ConvertAlpha("1." + std::string(100000, '0') + "1"), 1.0);
    EXPECT_EQ(ConvertCount(ones), 2147483647);
}

TEST(ConvertAlpha, AgreesWithCLibraryInTheCLocale)
{
    // The C library's strtod in the C locale is correctly rounded; where the syntax is the same
    // (no "d" exponent, no nan/inf/hex), both must give the same bits.
    const ScopedLocale c("C");
    ASSERT_TRUE(c.Active());
    const char* texts[] = {"0.1", "3.14159265358979323846", "2.2250738585072011e-308",
                           "2.2250738585072014e-308", "9007199254740993", "1e23", "8.5e-7",
                           "-17.25e-3", "0.30000000000000004", "123.456e78", "5e-324",
                           "1.00000000000000011102230246251565404236316680908203125"};
    for (const char* t : texts) {
        const double lib = std::strtod(t, nullptr);
        EXPECT_EQ(ConvertAlpha(t), lib) << t;
    }
}

TEST(ConvertAlpha, IgnoresCommaDecimalLocale)
{
    const ScopedLocale german("de_DE.UTF-8");
    if (!german.Active())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    EXPECT_EQ(ConvertAlpha(" 5.0"), 5.0);
    EXPECT_EQ(ConvertAlpha("2,5"), 2.0);
    EXPECT_EQ(ConvertCount(" 90"), 90);
}

}  // namespace
