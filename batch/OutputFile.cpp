// Files through QSaveFile, which writes beside the target and renames on commit.
#include "batch/OutputFile.h"

#include <cstdio>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QSaveFile>

namespace {

// Opens `file` through a QSaveFile, lets `write` fill it and commits only if that succeeded.
template <class Write>
bool SaveWhole(const std::string& file, Write write)
{
    QSaveFile out(QFile::decodeName(QByteArray::fromStdString(file)));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (!write(out)) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

}  // namespace

bool SaveImage(const QImage& image, const std::string& file)
{
    return SaveWhole(file, [&](QSaveFile& out) { return image.save(&out, "PNG"); });
}

bool SaveBytes(std::string_view bytes, const std::string& file)
{
    const auto size = static_cast<qint64>(bytes.size());
    return SaveWhole(file, [&](QSaveFile& out) { return out.write(bytes.data(), size) == size; });
}

OffscreenGui::OffscreenGui()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    m_previousHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "membrane-solve: %s\n", qPrintable(message));
        });
    m_app.emplace(m_argc, m_argv);
}

OffscreenGui::~OffscreenGui()
{
    if (m_app) {
        m_app.reset();
        qInstallMessageHandler(m_previousHandler);
    }
}
