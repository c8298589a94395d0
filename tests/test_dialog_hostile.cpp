// The real dialog under hostile input, many computations in a row, and a comma-decimal
// locale: no fault, and the list, the flag, the map and the clipboard agree with the outcome.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "DialogDriver.h"
#include "HostileTexts.h"
#include "ScopedLocale.h"
#include "TestSupport.h"
#include "command/ComputeCommand.h"

namespace {

using Dialog = DialogDriver;

QString ClipboardText()
{
    return DialogDriver::ClipboardText();
}

TEST(DialogHostileInput, GeneratedTextsInEveryField)
{
    const ScopedLocale c("C");
    ASSERT_TRUE(c.Active());
    Dialog d;
    hostile::Generator gen(20261209);
    const std::vector<std::string> overLimit(std::begin(kOverLimitLines), std::end(kOverLimitLines));
    const std::vector<std::string> belowOne(std::begin(kBelowOneLines), std::end(kBelowOneLines));
    d.Compute("2", "1", "1");  // something on the clipboard to keep
    auto core = MakeRecord();
    int accepted = 0, over = 0, below = 0;

    for (int n = 0; n < 1500; ++n) {
        const int field = n % 3;
        const QString text = QString::fromUtf8(gen.Next());
        const QString x = field == 0 ? text : QStringLiteral("3");
        const QString y = field == 1 ? text : QStringLiteral("2");
        const QString a = field == 2 ? text : QStringLiteral("1.5");
        const QString clipboardBefore = ClipboardText();
        const QString tableBefore = d.Table()->toPlainText();
        d.Compute(x, y, a);

        // The line edits hold at most their maximum length; the computation reads what they hold.
        const std::string heldX = d.Edit(IDC_DIVX)->text().toStdString();
        const std::string heldY = d.Edit(IDC_DIVY)->text().toStdString();
        const std::string heldA = d.Edit(IDC_ALPHA)->text().toStdString();
        ASSERT_EQ(d.Edit(field == 0 ? IDC_DIVX : field == 1 ? IDC_DIVY : IDC_ALPHA)->text(),
                  text.left(d.Edit(IDC_DIVX)->maxLength()));
        const int divX = hostile::ModelCount(heldX), divY = hostile::ModelCount(heldY);
        const double alpha = hostile::ModelAlpha(heldA);
        const MembraneModel& m = d.dlg->Record();
        ASSERT_EQ(m.m_nDivX, divX);
        ASSERT_EQ(m.m_nDivY, divY);
        ASSERT_EQ(std::memcmp(&m.m_dAlpha, &alpha, sizeof alpha), 0) << heldA.substr(0, 60);

        const std::vector<std::string> lines = d.Lines();
        const bool ok = divX >= 1 && divX <= 90 && divY >= 1 && divY <= 30;
        ++(ok ? accepted : divX > 90 || divY > 30 ? over : below);
        if (!ok) {
            ASSERT_EQ(lines, divX > 90 || divY > 30 ? overLimit : belowOne);
            ASSERT_EQ(m.m_bSolved, 0);
            ASSERT_EQ(ClipboardText(), clipboardBefore);
            ASSERT_EQ(d.Table()->toPlainText(), tableBefore);
        } else {
            RecordingSink expected;
            core->m_bOption = 1;
            RunCompute(*core, {heldX, heldY, heldA}, expected);
            ASSERT_EQ(lines, expected.lines);
            ASSERT_EQ(m.m_bSolved, 1);
            ASSERT_EQ(ClipboardText().toStdString(), expected.table);
        }
        if (n % 97 == 0) {
            ASSERT_EQ(d.MapShown(), ok) << n;
        }
    }
    // The generator reaches every outcome often.
    EXPECT_GT(accepted, 500);
    EXPECT_GT(over, 125);
    EXPECT_GT(below, 125);
}

TEST(DialogHostileInput, DegenerateNumbers)
{
    Dialog d;
    const struct {
        const char *x, *y, *alpha;
        bool finite;
    } rows[] = {
        {"4", "2", "1e200", false},   // alpha squared overflows
        {"4", "2", "-1e155", false},  // negative, square overflows
        {"4", "2", "0", true},        {"4", "2", "-2.5", true},
        {"1", "1", "1e300", true},    // every node prescribed: nothing to divide
        {"1", "30", "5", true},       {"90", "1", "5", true},
        {"90", "30", "0", true},      {"1", "1", "0", true},
    };
    for (const auto& r : rows) {
        d.Compute(r.x, r.y, r.alpha);
        const std::vector<std::string> lines = d.Lines();
        const bool warned = lines.back() == kNonFiniteLine;
        EXPECT_EQ(warned, !r.finite) << r.x << " " << r.y << " " << r.alpha;
        EXPECT_EQ(d.dlg->Record().m_bSolved, 1);
        EXPECT_TRUE(d.MapShown());
    }
}

TEST(DialogHostileInput, VanishingPivot)
{
    const double found = VanishingPivotAlpha();
    ASSERT_NE(found, 0.0) << "no alpha with an exactly vanishing pivot near the eigenvalue";

    Dialog d;
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", found);
    d.Compute("2", "1", text);
    std::vector<std::string> lines = d.Lines();
    EXPECT_EQ(lines.back(), kNonFiniteLine);
    EXPECT_TRUE(d.Table()->toPlainText().contains("nan") || d.Table()->toPlainText().contains("inf"));
    // The zero pivot of node 3 makes its multipliers infinite, and the back substitution carries
    // 0 * NaN into every node, the prescribed ones too; so every cell of the map is blue.
    const MembraneModel& m = d.dlg->Record();
    EXPECT_EQ(m.m_K[3][1], 0.0);
    for (int n = 1; n <= m.m_nNode; ++n)
        ASSERT_TRUE(std::isnan(m.m_W[n])) << "node " << n;
    const QImage image = d.Grab();
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(image.pixel(10 + 150 * column + 1, d.Baseline() - 1), qRgb(0, 0, 255)) << column;
    }

    // A pivot one rounding step away from zero: the elimination goes through with finite
    // values and no warning.
    std::snprintf(text, sizeof text, "%.17g", std::nextafter(found, 10.0));
    d.Compute("2", "1", text);
    lines = d.Lines();
    EXPECT_NE(lines.back(), kNonFiniteLine);
    EXPECT_TRUE(std::isfinite(d.dlg->Record().m_W[3]));
}

long ResidentPages()
{
    long size = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &size, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident;
}

TEST(DialogHostileInput, FiveHundredComputationsInARow)
{
    struct Kind {
        const char *x, *y, *alpha;
        std::vector<std::string> lines;
        QString clipboard;
        bool mapShown;
    };
    Kind kinds[] = {{" 90", " 30", " 5.0", {}, {}, true},
                    {"4", "3", "2.5", {}, {}, true},
                    {"91", "3", "2.5", {}, {}, false}};
    for (Kind& k : kinds) {  // what a fresh dialog shows for each
        Dialog fresh;
        fresh.Compute(k.x, k.y, k.alpha);
        k.lines = fresh.Lines();
        k.clipboard = ClipboardText();
    }

    Dialog d;
    QString lastTable;
    long afterWarmUp = 0;
    for (int n = 0; n < 500; ++n) {
        Kind& k = kinds[n % 3];
        d.Compute(k.x, k.y, k.alpha);
        ASSERT_EQ(d.Lines(), k.lines) << n;
        if (k.mapShown)
            lastTable = k.clipboard;
        ASSERT_EQ(ClipboardText(), lastTable) << n;
        if (n % 50 == 0) {
            ASSERT_EQ(d.MapShown(), k.mapShown) << n;
        }
        if (n == 29)
            afterWarmUp = ResidentPages();
    }
    const long growthKiB = (ResidentPages() - afterWarmUp) * (sysconf(_SC_PAGESIZE) / 1024);
#if defined(__SANITIZE_ADDRESS__)
    (void)growthKiB;  // the sanitizer's quarantine holds freed memory on purpose
#else
    EXPECT_LT(growthKiB, 4096) << "resident memory grew by " << growthKiB << " KiB";
#endif
}

TEST(DialogHostileInput, CommaDecimalLocale)
{
    const ScopedLocale german("de_DE.UTF-8");
    if (!german.Active())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    Dialog d;
    d.Compute(" 10", " 5", " 5.0");
    const std::vector<std::string> lines = d.Lines();
    const QString table = ClipboardText();
    EXPECT_EQ(d.dlg->Record().m_dAlpha, 5.0);
    EXPECT_EQ(lines[3], "W(1) = 1.000000");
    EXPECT_FALSE(table.contains(','));
    EXPECT_TRUE(table.contains("1.000000\t"));
}

}  // namespace
