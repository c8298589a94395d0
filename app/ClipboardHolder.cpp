// membrane-clipboard: keeps the dialog's last table on the clipboard after the dialog has
// ended, as xclip and wl-copy keep theirs: it reads the text from standard input, offers it as
// plain text, and ends as soon as another program takes the clipboard. It opens no window of
// its own, and the dialog starts it detached, so that it leaves no zombie behind.
#include <unistd.h>

#include <cstdio>
#include <string>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string table = ReadAll(STDIN_FILENO);
    if (table.empty())
        return 1;
    QGuiApplication app(argc, argv);
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* data = new QMimeData;
    data->setText(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())));
    clipboard->setMimeData(data, QClipboard::Clipboard);
    if (!clipboard->ownsClipboard()) {
        std::fprintf(stderr, "membrane-clipboard: the clipboard could not be taken\n");
        return 1;
    }
    QObject::connect(clipboard, &QClipboard::changed, &app, [&](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            app.quit();
    });
    return app.exec();
}
