// Files through QSaveFile, which writes beside the target and renames on commit.
#include "batch/OutputFile.h"

#include <cstdio>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QSaveFile>

namespace {

QString FileName(const std::string& file)
{
    return QFile::decodeName(QByteArray::fromStdString(file));
}

}  // namespace

bool SaveImage(const QImage& image, const std::string& file)
{
    QSaveFile out(FileName(file));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&out, "PNG")) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

bool SaveBytes(std::string_view bytes, const std::string& file)
{
    QSaveFile out(FileName(file));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size())) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
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
