// The drawing library of membrane-solve: the figures painted with Qt and encoded as PNG, offered
// through the one exported function of FigureApi.h. Loaded only when a figure is asked for.
#include <cstdio>
#include <optional>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include "present/ColorMapPainter.h"
#include "present/FigureApi.h"
#include "present/MapFigure.h"
#include "present/StudyPlot.h"
#include "present/SweepPlot.h"

namespace {

// A QGuiApplication on the offscreen platform for the life of the object, where the process has
// none; text needs one. Qt's remarks about the desktop it does not have stay out of the messages.
class OffscreenGui {
public:
    OffscreenGui()
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
    ~OffscreenGui()
    {
        if (m_app) {
            m_app.reset();
            qInstallMessageHandler(m_previousHandler);
        }
    }
    OffscreenGui(const OffscreenGui&) = delete;
    OffscreenGui& operator=(const OffscreenGui&) = delete;

private:
    int m_argc = 1;
    char m_name[16] = "membrane-solve";
    char* m_argv[2] = {m_name, nullptr};
    QtMessageHandler m_previousHandler = nullptr;
    std::optional<QGuiApplication> m_app;
};

// The library's default compression, or for quality 0..100 the zlib level from 9 down to 0.
constexpr int kDefaultCompression = -1;
// zlib level 2: a gallery's many smooth fields encode in less than half the default's time, in
// a file about a fifth larger.
constexpr int kGalleryCompression = 70;

bool EncodePng(const QImage& image, std::string& png, std::string& error,
               int quality = kDefaultCompression)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) ||
        !image.save(&buffer, "PNG", quality)) {
        error = "cannot encode the image as PNG";
        return false;
    }
    png.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

bool ColorMapPng(const NodalField& record, std::string& png, std::string& error)
{
    return EncodePng(ColorMapImage(record), png, error);
}

bool SolutionFigurePng(const NodalField& record, const std::string& title, std::string& png,
                       std::string& error)
{
    const OffscreenGui gui;
    return EncodePng(MapFigure(record, title), png, error);
}

bool SweepPlotPng(std::span<const CurvePoint> curve, std::span<const ResonanceLine> lines,
                  const std::string& title, std::string& png, std::string& error)
{
    const OffscreenGui gui;
    return EncodePng(SweepPlot(curve, lines, title), png, error);
}

bool ShapeFigurePng(const NodalField& record, const std::string& title, std::string& png,
                    std::string& error)
{
    const OffscreenGui gui;
    return EncodePng(ShapeFigure(record, title), png, error);
}

bool ShapeGalleryPng(std::int32_t divX, std::int32_t divY, std::span<const ShapePanel> panels,
                     const std::string& title, std::string& png, std::string& error)
{
    const OffscreenGui gui;
    return EncodePng(ShapeGallery(divX, divY, panels, title), png, error, kGalleryCompression);
}

bool StudyPlotPng(std::span<const StudySeries> series, const std::string& title, std::string& png,
                  std::string& error)
{
    const OffscreenGui gui;
    return EncodePng(StudyPlot(series, title), png, error);
}

constexpr FigureApi kApi = {
    kFigureApiVersion, ColorMapPng,     SolutionFigurePng, SweepPlotPng,
    ShapeFigurePng,    ShapeGalleryPng, StudyPlotPng,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const FigureApi* membrane_figure_api()
{
    return &kApi;
}
