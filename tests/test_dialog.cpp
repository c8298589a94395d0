// The real dialog, driven offscreen: defaults, focus, compute, clipboard, map, option,
// rejection and the keys that compute and close.
#include <gtest/gtest.h>

#include <QMimeData>
#include <QPushButton>

#include <algorithm>
#include <memory>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "present/ReportText.h"
#include "command/ComputeCommand.h"
#include "ui/MembraneDlg.h"
#include "ui/Resource.h"

namespace {

class DialogTest : public testing::Test, public DialogDriver {
protected:
    void SetUp() override { ASSERT_TRUE(exposed); }

    QStringList ListLines() const
    {
        QStringList lines;
        for (const std::string& l : Lines())
            lines << QString::fromStdString(l);
        return lines;
    }
};

TEST_F(DialogTest, OpeningState)
{
    EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("2次元有限要素法－膜振動"));
    EXPECT_EQ(Edit(IDC_DIVX)->text(), " 90");
    EXPECT_EQ(Edit(IDC_DIVY)->text(), " 30");
    EXPECT_EQ(Edit(IDC_ALPHA)->text(), " 5.0");
    EXPECT_TRUE(Option()->isChecked());
    EXPECT_EQ(dlg->Record().m_bOption, 1);
    EXPECT_EQ(dlg->Record().m_bSolved, 0);
    EXPECT_EQ(ListCount(), 0);
    EXPECT_FALSE(Table()->isVisible());
    EXPECT_EQ(dlg->focusWidget(), Edit(IDC_DIVX));
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());  // not resizable
    EXPECT_FALSE(dlg->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(qobject_cast<QPushButton*>(dlg->GetDlgItem(IDC_COMPUTE))->isDefault());
    EXPECT_EQ(Option()->focusPolicy() & Qt::TabFocus, 0);
    EXPECT_FALSE(dlg->windowIcon().isNull());
    // No map: the place of its first cell shows the background.
    const QImage image = Grab();
    EXPECT_EQ(image.pixel(11, Baseline() - 2), image.pixel(5, Baseline() - 2));
}

TEST_F(DialogTest, TabOrderFollowsTheTemplate)
{
    QWidget* expected[] = {Edit(IDC_DIVX), Edit(IDC_DIVY), Edit(IDC_ALPHA),
                           dlg->GetDlgItem(IDC_COMPUTE), dlg->GetDlgItem(IDCANCEL), List()};
    QWidget* w = Edit(IDC_DIVX);
    for (QWidget* next : expected) {
        EXPECT_EQ(w, next);
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || w->parentWidget() != dlg.get());
    }
    EXPECT_EQ(w, Edit(IDC_DIVX));  // the option button and the hidden edit are skipped
}

TEST_F(DialogTest, DefaultComputation)
{
    QTest::mouseClick(dlg->GetDlgItem(IDC_COMPUTE), Qt::LeftButton);
    const RecordingSink core = CoreRun(" 90", " 30", " 5.0", true);
    const QStringList lines = ListLines();
    ASSERT_EQ(lines.size(), 2914);
    for (int i = 0; i < lines.size(); ++i)
        ASSERT_EQ(lines[i].toStdString(), core.lines[i]) << i;
    EXPECT_EQ(dlg->Record().m_bSolved, 1);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{"text/plain"});
    EXPECT_EQ(ClipboardText().toStdString(), core.table);
    EXPECT_EQ(Table()->toPlainText().toStdString(), core.table);
    EXPECT_FALSE(Table()->isVisible());

    // 91 x 31 cells of 3 x 3 pixels: x = 10..282, y = y0 - 93..y0 - 1.
    const QImage image = Grab();
    const int y0 = Baseline();
    const QRgb background = image.pixel(5, y0 - 2);
    const MembraneModel& m = dlg->Record();
    const double* w = m.m_W;
    const double hi = std::max(-100.0, *std::max_element(w + 1, w + m.m_nNode + 1));
    const double lo = std::min(100.0, *std::min_element(w + 1, w + m.m_nNode + 1));
    for (int n : {1, 16, 31, 32, 1396, 2791, 2821}) {
        const int i = (n - 1) / 31, j = (n - 1) % 31;
        const int d = static_cast<int>((w[n] - lo) / (hi - lo) * 255.0);
        const int x = 10 + 3 * i, y = y0 - 3 * (j + 1);
        for (int dx = 0; dx < 3; ++dx)
            for (int dy = 0; dy < 3; ++dy)
                ASSERT_EQ(image.pixel(x + dx, y + dy), qRgb(d, d, 255)) << "node " << n;
    }
    EXPECT_EQ(image.pixel(283, y0 - 1), background);
    EXPECT_EQ(image.pixel(9, y0 - 1), background);
    EXPECT_EQ(image.pixel(100, y0), background);
    EXPECT_EQ(image.pixel(100, y0 - 94), background);
}

TEST_F(DialogTest, OneElementMapWithOptionOff)
{
    QTest::mouseClick(Option(), Qt::LeftButton);
    ASSERT_EQ(dlg->Record().m_bOption, 0);
    Compute("1", "1", "5.0");
    EXPECT_EQ(ClipboardText(), "1\t2\t\n1.000000\t1.000000\t\n0.000000\t0.000000\t\n");
    const QImage image = Grab();
    const int y0 = Baseline();
    // Left column white from x = 10, right column blue from x = 310 to the dialog's edge
    // (the block reaches x = 609 and is cut off there); cells from y0 - 200 to y0 - 1.
    EXPECT_EQ(image.pixel(10, y0 - 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(10, y0 - 100), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(309, y0 - 1), qRgb(255, 255, 255));
    ASSERT_GT(image.width(), 310);
    EXPECT_EQ(image.pixel(310, y0 - 1), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(image.width() - 1, y0 - 200), qRgb(0, 0, 255));
    EXPECT_NE(image.pixel(9, y0 - 1), qRgb(255, 255, 255));
    EXPECT_NE(image.pixel(10, y0), qRgb(255, 255, 255));
}

TEST_F(DialogTest, RejectionAfterAcceptedComputation)
{
    Compute("4", "2", "1.5");
    const QString table = ClipboardText();
    ASSERT_FALSE(table.isEmpty());
    ASSERT_NE(Grab().pixel(10, Baseline() - 1), Grab().pixel(5, Baseline() - 1));

    Compute("91", "2", "1.5");
    const QStringList overLimit = {QString::fromUtf8("ｘ方向の分割数は90以下に "),
                                   QString::fromUtf8("ｙ方向の分割数は30以下に"),
                                   QString::fromUtf8("して下さい。")};
    EXPECT_EQ(ListLines(), overLimit);
    EXPECT_EQ(ClipboardText(), table);
    EXPECT_EQ(Table()->toPlainText(), table);
    EXPECT_EQ(dlg->Record().m_bSolved, 0);
    EXPECT_EQ(Edit(IDC_DIVX)->text(), "91");  // the typed text stays
    const QImage image = Grab();  // any later paint shows no map
    EXPECT_EQ(image.pixel(10, Baseline() - 1), image.pixel(5, Baseline() - 1));

    Compute("0", "2", "1.5");
    EXPECT_EQ(ListLines(), (QStringList{QString::fromUtf8("分割数は1以上に"),
                                        QString::fromUtf8("して下さい。")}));
    EXPECT_EQ(ClipboardText(), table);

    Compute("4", "2", "1.5");  // an accepted input draws the map again
    EXPECT_NE(Grab().pixel(10, Baseline() - 1), Grab().pixel(5, Baseline() - 1));
}

TEST_F(DialogTest, OptionToggledTwice)
{
    QTest::mouseClick(Option(), Qt::LeftButton);
    EXPECT_FALSE(Option()->isChecked());
    EXPECT_EQ(dlg->Record().m_bOption, 0);
    QTest::mouseClick(Option(), Qt::LeftButton);
    EXPECT_TRUE(Option()->isChecked());
    EXPECT_EQ(dlg->Record().m_bOption, 1);
    EXPECT_EQ(ListCount(), 0);  // toggling does not compute
}

TEST_F(DialogTest, TwoPressesGiveTheSameLines)
{
    Compute("20", "10", "2.0");
    const QStringList first = ListLines();
    const QString firstTable = ClipboardText();
    QTest::mouseClick(dlg->GetDlgItem(IDC_COMPUTE), Qt::LeftButton);
    EXPECT_EQ(ListLines(), first);
    EXPECT_EQ(ClipboardText(), firstTable);
    EXPECT_EQ(first.size(), 2 + 21 + 21 * 11);
}

TEST_F(DialogTest, EnterComputesAndEscapeCloses)
{
    Edit(IDC_DIVX)->setText("3");
    Edit(IDC_DIVY)->setText("2");
    QTest::keyClick(Edit(IDC_ALPHA), Qt::Key_Return);
    EXPECT_EQ(ListCount(), 2 + 4 + 12);
    EXPECT_TRUE(dlg->isVisible());
    QTest::keyClick(Edit(IDC_DIVY), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(DialogTest, CloseButtonEndsTheDialog)
{
    QTest::mouseClick(dlg->GetDlgItem(IDCANCEL), Qt::LeftButton);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(DialogTest, NonFiniteResultIsListedAndMappedBlue)
{
    Compute("4", "2", "1e200");
    const QStringList lines = ListLines();
    EXPECT_EQ(lines.back(), QString::fromUtf8("解に有限でない値があります。αを変えて下さい。"));
    EXPECT_TRUE(lines.contains("W(4) = nan") || lines.contains("W(4) = -nan"));
    // Every value compares false against NaN, so the cell of the free node 4 is blue.
    const QImage image = Grab();
    EXPECT_EQ(image.pixel(10 + 75 + 1, Baseline() - 1), qRgb(0, 0, 255));
}

}  // namespace

namespace {

TEST_F(DialogTest, MinimisedShowsTheIconCentred)
{
    dlg->showMinimized();
    QCoreApplication::processEvents();
    if (!dlg->isMinimized())
        GTEST_SKIP() << "the platform does not minimise windows";
    // The dialog's own painting, without the controls on top of it.
    QImage image(dlg->size(), QImage::Format_RGB32);
    dlg->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    // The icon's dark frame at the centred 32 x 32 square, its white middle in the centre.
    const int x = (image.width() - 32 + 1) / 2, y = (image.height() - 32 + 1) / 2;
    EXPECT_EQ(image.pixel(x, y), qRgb(0x00, 0x20, 0x5C));
    EXPECT_EQ(image.pixel(x + 31, y + 31), qRgb(0x00, 0x20, 0x5C));
    EXPECT_EQ(image.pixel(x + 16, y + 16), qRgb(255, 255, 255));
    EXPECT_NE(image.pixel(x - 1, y - 1), qRgb(0x00, 0x20, 0x5C));
}

}  // namespace

#include <QFontInfo>

#include "ui/DialogUnits.h"

namespace {

TEST(DialogUnits, RoundToNearestPixel)
{
    const DialogBaseUnits units{7, 13};
    EXPECT_EQ(DialogUnitsToPixels(55, 16, 18, 14, units), QRect(96, 26, 32, 23));
    EXPECT_EQ(DialogUnitsToPixels(0, 0, 186, 211, units).size(), QSize(326, 343));
    EXPECT_EQ(DialogUnitsToPixels(1, 1, 2, 3, DialogBaseUnits{6, 12}), QRect(2, 2, 3, 5));
}

TEST_F(DialogTest, JapaneseFontAndTemplateGeometry)
{
    EXPECT_EQ(QFontInfo(dlg->font()).family(), "IPAPGothic");
    const DialogBaseUnits units = BaseUnitsOf(dlg->font());
    EXPECT_EQ(dlg->size(), DialogUnitsToPixels(0, 0, 186, 211, units).size());
    EXPECT_EQ(dlg->GetDlgItem(IDC_COMPUTE)->geometry(), DialogUnitsToPixels(148, 91, 32, 14, units));
    EXPECT_EQ(List()->geometry(), DialogUnitsToPixels(6, 37, 134, 84, units));
}

}  // namespace
