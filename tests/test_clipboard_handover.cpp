// The clipboard's hand-over as the dialog ends, on a real X server: a clipboard manager on the
// display keeps the holder from starting, a holder that cannot run does not hold the dialog up,
// and without a manager the holder takes the clipboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>

#include "ui/ClipboardHandover.h"

namespace {

// A window of another client that owns CLIPBOARD_MANAGER while it lives, as a desktop's
// clipboard manager does.
class ClipboardManager {
public:
    ClipboardManager()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1,
                          0, XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
        const char name[] = "CLIPBOARD_MANAGER";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        xcb_set_selection_owner(m_connection, m_window, atom->atom, XCB_CURRENT_TIME);
        std::free(atom);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection),
                                            nullptr));  // a round trip: the owner is set
    }
    ~ClipboardManager() { xcb_disconnect(m_connection); }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
};

class ClipboardHandover : public testing::Test {
protected:
    // Puts text on the clipboard and waits until the display says this program owns it.
    static void Copy(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::clipboard()->ownsClipboard(), 5000);
    }
    // How long HandOverClipboard takes, in milliseconds.
    static qint64 TimedHandOver(const QString& holder)
    {
        QElapsedTimer timer;
        timer.start();
        HandOverClipboard(holder);
        return timer.elapsed();
    }
};

TEST_F(ClipboardHandover, AManagerOnTheDisplayKeepsTheHolderFromStarting)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    const ClipboardManager manager;
    Copy("table with a manager");
    TimedHandOver(MEMBRANE_CLIPBOARD_HOLDER);
    QTest::qWait(300);
    // A holder would have taken the clipboard from this program.
    EXPECT_TRUE(QGuiApplication::clipboard()->ownsClipboard());
}

TEST_F(ClipboardHandover, AHolderThatCannotRunDoesNotHoldTheDialogUp)
{
    Copy("table without a holder");
    EXPECT_LT(TimedHandOver("/nonexistent/membrane-clipboard"), 2000);
    EXPECT_LT(TimedHandOver("/dev/null"), 2000);  // there, but not a program
    EXPECT_TRUE(QGuiApplication::clipboard()->ownsClipboard());
}

TEST_F(ClipboardHandover, WithoutAManagerTheHolderTakesTheClipboard)
{
    Copy("table for the holder");
    EXPECT_LT(TimedHandOver(MEMBRANE_CLIPBOARD_HOLDER), 5000);
    EXPECT_FALSE(QGuiApplication::clipboard()->ownsClipboard());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "table for the holder");
    // The holder ends when another program copies something: this one, here.
    Copy("taken back");
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
