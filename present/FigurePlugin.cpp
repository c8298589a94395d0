// The drawing library of membrane-solve: the figures painted with Qt as PNG, PDF or SVG, offered
// through the one exported function of FigureApi.h. Loaded only when a figure is asked for.
#include <cstdio>
#include <functional>
#include <optional>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

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

using Paint = std::function<void(QPainter&)>;

// The figure as a PNG image into the buffer, at the encoder's `quality`.
bool RenderPng(QBuffer& buffer, QSize size, const Paint& paint, int quality, std::string& error)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paint(p);
    p.end();
    if (image.isNull() || !image.save(&buffer, "PNG", quality)) {
        error = "cannot encode the image as PNG";
        return false;
    }
    return true;
}

// The figure on a white page of a vector device, a PDF writer or an SVG generator.
bool RenderOnPage(QPaintDevice& device, QSize size, const Paint& paint, const char* format,
                  std::string& error)
{
    QPainter p;
    if (!p.begin(&device)) {
        error = std::string("cannot write the figure as ") + format;
        return false;
    }
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    paint(p);
    p.end();
    return true;
}

// One figure of the given size, painted on a white page, in the format asked for: a PNG image,
// or a PDF page or an SVG drawing of the same size (one pixel a point), its text and lines
// vectors. `quality` is the PNG's. A raster without text needs no QGuiApplication, and is made
// without one, so that its PNG keeps the resolution Qt writes without one.
bool Render(FigureFormat format, QSize size, const std::string& title, const Paint& paint,
            std::string& bytes, std::string& error, int quality = kDefaultCompression,
            bool text = true)
{
    std::optional<OffscreenGui> gui;
    if (text || format != FigureFormat::Png)
        gui.emplace();
    QByteArray data;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::WriteOnly)) {
        error = "cannot open a buffer for the figure";
        return false;
    }
    bool done = false;
    switch (format) {
    case FigureFormat::Png:
        done = RenderPng(buffer, size, paint, quality, error);
        break;
    case FigureFormat::Pdf: {
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(),
                                     QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QString::fromStdString(title));
        writer.setCreator(QStringLiteral("membrane-solve"));
        done = RenderOnPage(writer, size, paint, "PDF", error);
        break;
    }
    case FigureFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QString::fromStdString(title));
        svg.setDescription(QStringLiteral("membrane-solve"));
        done = RenderOnPage(svg, size, paint, "SVG", error);
        break;
    }
    }
    if (done)
        bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return done;
}

bool ColorMapFigure(const NodalField& field, FigureFormat format, std::string& bytes,
                    std::string& error)
{
    const QSize size = ColorMapSize(field);
    return Render(format, size, "colour map", [&](QPainter& p) {
        PaintColorMap(p, field, 0, size.height());
    }, bytes, error, kDefaultCompression, false);
}

bool SolutionFigure(const NodalField& field, const std::string& title, FigureFormat format,
                    std::string& bytes, std::string& error)
{
    return Render(format, {kFigureWidth, kFigureHeight}, title,
                  [&](QPainter& p) { PaintMapFigure(p, field, title); }, bytes, error);
}

bool SweepFigure(std::span<const CurvePoint> curve, std::span<const ResonanceLine> lines,
                 const std::string& title, FigureFormat format, std::string& bytes,
                 std::string& error)
{
    return Render(format, SweepPlotSize(), title,
                  [&](QPainter& p) { PaintSweepPlot(p, curve, lines, title); }, bytes, error);
}

bool ShapeFigure(const NodalField& field, const std::string& title, FigureFormat format,
                 std::string& bytes, std::string& error)
{
    return Render(format, {kFigureWidth, kFigureHeight}, title,
                  [&](QPainter& p) { PaintShapeFigure(p, field, title); }, bytes, error);
}

bool GalleryFigure(std::int32_t divX, std::int32_t divY, std::span<const ShapePanel> panels,
                   const std::string& title, FigureFormat format, std::string& bytes,
                   std::string& error)
{
    return Render(format, ShapeGallerySize(panels.size()), title,
                  [&](QPainter& p) { PaintShapeGallery(p, divX, divY, panels, title); }, bytes,
                  error, kGalleryCompression);
}

bool StudyFigure(std::span<const StudySeries> series, const std::string& title,
                 FigureFormat format, std::string& bytes, std::string& error)
{
    return Render(format, StudyPlotSize(), title,
                  [&](QPainter& p) { PaintStudyPlot(p, series, title); }, bytes, error);
}

constexpr FigureApi kApi = {
    kFigureApiVersion, ColorMapFigure, SolutionFigure, SweepFigure,
    ShapeFigure,       GalleryFigure,  StudyFigure,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const FigureApi* membrane_figure_api()
{
    return &kApi;
}
