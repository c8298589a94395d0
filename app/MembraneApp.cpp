// Start-up: the application object and the program's entry point.
#include "app/MembraneApp.h"

#include <langinfo.h>
#include <strings.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "ui/ClipboardHandover.h"
#include "ui/MembraneDlg.h"

namespace {

// Says in one line why no window can open, and ends the program with status 1.
[[noreturn]] void EndWithoutDisplay()
{
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        std::fprintf(stderr, "membrane: cannot open a window on the display %s; "
                             "membrane-solve computes without one\n", display);
    else
        std::fprintf(stderr, "membrane: no display to open the window on (DISPLAY is not set); "
                             "membrane-solve computes without one\n");
    std::_Exit(1);
}

// While the application object is made, Qt ends the process with a fatal message when its
// window system cannot be reached (over ssh, on a console); the remarks before it concern the
// same failure. Both give way to the one line above.
void QuietStartUp(QtMsgType type, const QMessageLogContext&, const QString&)
{
    if (type == QtFatalMsg)
        EndWithoutDisplay();
}

// Qt takes the character set from the environment, and where none is set (a minimal system, a
// service, a container) that is ASCII. Qt's own texts are UTF-8 all the same, and the title
// that window managers read from the old WM_NAME property is converted through the character
// set, so the Japanese title would reach them as question marks. The characters therefore
// follow a UTF-8 locale whatever the environment's; numbers never depend on the locale, so
// nothing else changes.
void UseUtf8Characters()
{
    const char* codeset = nl_langinfo(CODESET);
    if (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0)
        return;
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        std::setlocale(LC_CTYPE, "C.utf8");
}

}  // namespace

CMembraneApp::CMembraneApp(int& argc, char** argv) : QApplication(argc, argv)
{
    UseUtf8Characters();
}

bool CMembraneApp::InitInstance()
{
    CMembraneDlg dlg;
    dlg.exec();
    // The last table stays on the clipboard after the dialog, as users of the tool expect.
    HandOverClipboard(ClipboardHolderPath());
    return false;
}

int main(int argc, char** argv)
{
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!platformChosen && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        EndWithoutDisplay();
    const QtMessageHandler previous = qInstallMessageHandler(QuietStartUp);
    CMembraneApp app(argc, argv);
    qInstallMessageHandler(previous);
    app.InitInstance();
    return 0;
}
