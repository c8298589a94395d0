// The handover: a clipboard manager asked on X11 (the owner of CLIPBOARD_MANAGER, which Qt hands
// the contents to at exit), else the holder started detached with the text on a pipe.
#include "ui/ClipboardHandover.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define MEMBRANE_HAS_XCB 1
#endif

namespace {

constexpr int kHolderWaitMs = 10000;

// Whether a clipboard manager on the X display will save the clipboard as the program ends.
bool ClipboardManagerSaves()
{
#ifdef MEMBRANE_HAS_XCB
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    const char name[] = "CLIPBOARD_MANAGER";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t manager = atom->atom;
    std::free(atom);
    if (manager == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, manager), nullptr);
    const bool saves = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return saves;
#else
    return false;
#endif
}

// Writes every byte to the descriptor; false on an error.
bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* at = bytes.constData();
    for (qsizetype left = bytes.size(); left > 0;) {
        const ssize_t n = ::write(fd, at, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        left -= n;
    }
    return true;
}

// Starts the holder in a session of its own, a grandchild that init adopts, with the text on its
// standard input; the child between them is waited for at once, so no zombie stays.
void StartHolder(const QString& holder, const QByteArray& text)
{
    const QByteArray path = QFile::encodeName(holder);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    const pid_t child = ::fork();
    if (child == 0) {
        // Only calls that are safe after a fork, up to exec.
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        ::dup2(pipeFds[0], STDIN_FILENO);
        // Nothing of it reaches a terminal after the dialog has ended.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        char* const argv[] = {const_cast<char*>(path.constData()), nullptr};
        ::execv(path.constData(), argv);
        ::_exit(127);
    }
    ::close(pipeFds[0]);
    if (child > 0) {
        // A holder that has ended early must not end the dialog by SIGPIPE.
        struct sigaction ignore {}, previous {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &previous);
        WriteAll(pipeFds[1], text);
        ::sigaction(SIGPIPE, &previous, nullptr);
    }
    ::close(pipeFds[1]);
    if (child > 0)
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
}

}  // namespace

void HandOverClipboard(const QString& holder)
{
    // Only a window system's clipboard outlives a program; the holder speaks to the same one.
    const QString platform = QGuiApplication::platformName();
    if (platform != QStringLiteral("xcb") && platform != QStringLiteral("wayland"))
        return;
    qputenv("QT_QPA_PLATFORM", platform.toUtf8());
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || !clipboard->ownsClipboard())
        return;
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText() || data->text().isEmpty())
        return;
    if (ClipboardManagerSaves() || !QFileInfo(holder).isExecutable())
        return;
    StartHolder(holder, data->text().toUtf8());
    // The dialog ends once the holder has taken the clipboard from it, so that there is no
    // moment without the table; a holder that cannot take it is not waited for long.
    QElapsedTimer waited;
    waited.start();
    while (clipboard->ownsClipboard() && waited.elapsed() < kHolderWaitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QString ClipboardHolderPath()
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString installed =
        folder + QStringLiteral("/" MEMBRANE_HOLDER_FROM_BINDIR "/membrane-clipboard");
    const QString beside = folder + QStringLiteral("/membrane-clipboard");
    return QFileInfo::exists(installed) || !QFileInfo::exists(beside) ? installed : beside;
}
