// The fields, bilinear in every element as the elements make them, sampled pixel by pixel and
// shaded by the figure's colour scale; the axes, the colour bar, the labels and the titles.
#include "present/MapFigure.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "present/ColorMap.h"
#include "present/FieldRaster.h"
#include "present/FigureLayout.h"

namespace {

// The domain, 15 x 5 in its proportions, and the colour bar beside it.
const QRect kDomain(kFieldDomain.left, kFieldDomain.top, kFieldDomain.width, kFieldDomain.height);
const QRect kBar(kFieldBar.left, kFieldBar.top, kFieldBar.width, kFieldBar.height);

using Shader = std::function<QRgb(double)>;

// Where a value is not finite, the figure is grey.
constexpr QRgb kNotFinite = 0xffa0a0a0;

// Three panels a row (four from 13 on), each the domain in its proportions with its label above;
// the title on top and the shared scale at the bottom.
struct GalleryLayout {
    explicit GalleryLayout(int n)
        : columns(n <= 3 ? std::max(n, 1) : n <= 12 ? 3 : 4),
          rows((n + columns - 1) / columns),
          panelWidth(columns == 4 ? 222 : 300),
          panelHeight(panelWidth / 3),
          width(left * 2 + columns * panelWidth + (columns - 1) * gapX),
          height(top + rows * (labelHeight + panelHeight + gapY) + 70)
    {
    }
    static constexpr int gapX = 24, labelHeight = 24, gapY = 14, left = 24, top = 60;
    int columns, rows, panelWidth, panelHeight, width, height;
};

// The field over an area of the given size, one sample a pixel.
QImage FieldImage(QSize size, const FieldGrid& m, const Shader& shade)
{
    QImage image(size, QImage::Format_RGB32);
    const std::vector<std::uint32_t> pixels = FieldPixels(m, size.width(), size.height(), 1.0, shade);
    for (int py = 0; py < size.height(); ++py)
        std::copy_n(pixels.data() + static_cast<std::size_t>(py) * size.width(), size.width(),
                    reinterpret_cast<QRgb*>(image.scanLine(py)));
    return image;
}

// The colour bar: from the highest value in the top row of pixels to the lowest in the bottom
// row.
QImage BarImage(double lo, double hi, const Shader& shade)
{
    QImage image(kBar.size(), QImage::Format_RGB32);
    for (int py = 0; py < kBar.height(); ++py) {
        const double f = static_cast<double>(kBar.height() - 1 - py) / (kBar.height() - 1);
        const QRgb c = shade(lo + f * (hi - lo));
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(py));
        std::fill(line, line + kBar.width(), c);
    }
    return image;
}

// One unit between ticks on both axes: 16 along x, 6 along y.
void DrawAxes(QPainter& p, double lenX, double lenY)
{
    const QFontMetrics metrics(p.font());
    p.setPen(Qt::black);
    for (int u = 0; u <= static_cast<int>(lenX); ++u) {
        const int x = kDomain.left() + static_cast<int>(std::lround(u / lenX * kDomain.width()));
        p.drawLine(x, kDomain.bottom() + 1, x, kDomain.bottom() + 6);
        const QString label = QString::number(u);
        p.drawText(x - metrics.horizontalAdvance(label) / 2, kDomain.bottom() + 8 + metrics.ascent(),
                   label);
    }
    for (int u = 0; u <= static_cast<int>(lenY); ++u) {
        const int y = kDomain.bottom() - static_cast<int>(std::lround(u / lenY * kDomain.height()));
        p.drawLine(kDomain.left() - 6, y, kDomain.left() - 1, y);
        const QString label = QString::number(u);
        p.drawText(kDomain.left() - 10 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2 - 1,
                   label);
    }
    p.drawText(kDomain.center().x() - metrics.horizontalAdvance("x") / 2,
               kDomain.bottom() + 30 + metrics.ascent(), QStringLiteral("x"));
    p.drawText(kDomain.left() - 46, kDomain.center().y() + metrics.ascent() / 2, QStringLiteral("y"));
    p.setBrush(Qt::NoBrush);
    p.drawRect(kDomain.adjusted(-1, -1, 0, 0));
}

// The bar's frame, its name, its lowest value at the bottom and highest at the top, and rounded
// ticks between them where their labels do not crowd the ends. Without a finite value, the
// frame and the name alone.
void DrawBarLabels(QPainter& p, double lo, double hi, const QString& name)
{
    const QFontMetrics metrics(p.font());
    p.setPen(Qt::black);
    p.drawRect(kBar.adjusted(-1, -1, 0, 0));
    p.drawText(kBar.center().x() - metrics.horizontalAdvance(name) / 2, kBar.top() - 10, name);
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return;
    const int x = kBar.right() + 8;
    p.drawText(x, kBar.top() + metrics.ascent() / 2, QString::fromStdString(FigureNumber(hi, 7)));
    p.drawText(x, kBar.bottom() + metrics.ascent() / 2,
               QString::fromStdString(FigureNumber(lo, 7)));
    for (double v : ColourBarTicks(lo, hi)) {
        const int y = BarRow(v, lo, hi);
        if (y - kBar.top() < metrics.height() || kBar.bottom() - y < metrics.height())
            continue;
        p.drawLine(kBar.right() + 1, y, kBar.right() + 5, y);
        p.drawText(x, y + metrics.ascent() / 2 - 1, QString::fromStdString(FigureNumber(v, 6)));
    }
}

void DrawTitle(QPainter& p, const QFont& font, int width, int top, const std::string& title)
{
    QFont bold = font;
    bold.setPixelSize(17);
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(QRect(0, top, width, 32), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::fromStdString(title));
    p.setFont(font);
}

// The figure of one field: the field and its bar in the given scale, axes, labels, title, and
// where some values are not finite, a line that says how many, drawn grey.
void PaintFieldFigure(QPainter& p, const NodalField& field, const std::string& title, double lo,
                      double hi, const Shader& shade, const QString& barName)
{
    p.drawImage(kDomain.topLeft(), FieldImage(kDomain.size(), GridOf(field), shade));
    if (std::isfinite(lo) && std::isfinite(hi))
        p.drawImage(kBar.topLeft(), BarImage(lo, hi, shade));
    else
        p.fillRect(kBar, QColor(kNotFinite));

    QFont font = p.font();
    font.setPixelSize(14);
    p.setFont(font);
    DrawAxes(p, field.m_dLenX, field.m_dLenY);
    DrawBarLabels(p, lo, hi, barName);
    DrawTitle(p, font, kFigureWidth, 14, title);
    const std::string note = NotFiniteNote(NotFiniteCount(field.m_W, field.m_nNode), field.m_nNode);
    if (!note.empty()) {
        p.setPen(QColor(160, 0, 0));
        p.drawText(QRect(0, kFigureHeight - 24, kFigureWidth, 20), Qt::AlignHCenter,
                   QString::fromStdString(note));
    }
}

}  // namespace

void PaintMapFigure(QPainter& p, const NodalField& field, const std::string& title)
{
    const MapScale scale = SolutionScale(field);
    const Shader shade = [&](double w) { return SolutionColour(w, scale); };
    PaintFieldFigure(p, field, title, scale.lo, scale.hi, shade, QStringLiteral("W"));
}

void PaintShapeFigure(QPainter& p, const NodalField& field, const std::string& title)
{
    const double limit = ShapeLimit(field.m_W, field.m_nNode);
    const Shader shade = [&](double w) { return ShapeColour(w, limit); };
    PaintFieldFigure(p, field, title, -limit, limit, shade, QStringLiteral("phi"));
}

QSize ShapeGallerySize(std::size_t panels)
{
    const GalleryLayout g(static_cast<int>(panels));
    return {g.width, g.height};
}

void PaintShapeGallery(QPainter& p, std::int32_t divX, std::int32_t divY,
                       std::span<const ShapePanel> panels, const std::string& title)
{
    const int n = static_cast<int>(panels.size());
    const GalleryLayout g(n);
    const int nodes = (divX + 1) * (divY + 1);
    double limit = 0.0;
    for (const ShapePanel& panel : panels)
        limit = std::max(limit, ShapeLimit(panel.phi, nodes));
    const Shader shade = [&](double w) { return ShapeColour(w, limit); };

    QFont font = p.font();
    font.setPixelSize(14);
    p.setFont(font);
    const QFontMetrics metrics(font);
    for (int k = 0; k < n; ++k) {
        const ShapePanel& panel = panels[k];
        const int x = g.left + (k % g.columns) * (g.panelWidth + g.gapX);
        const int y = g.top + (k / g.columns) * (g.labelHeight + g.panelHeight + g.gapY);
        const QRect area(x, y + g.labelHeight, g.panelWidth, g.panelHeight);
        p.drawImage(area.topLeft(),
                    FieldImage(area.size(),
                               FieldGrid{panel.phi, divX, divY, MembraneModel::kLenX,
                                         MembraneModel::kLenY},
                               shade));
        p.setPen(Qt::black);
        p.drawRect(area.adjusted(-1, -1, 0, 0));
        const QString label = QStringLiteral("%1   (%2, %3)   α = %4")
                                  .arg(panel.index)
                                  .arg(panel.kx)
                                  .arg(panel.ky)
                                  .arg(panel.alpha, 0, 'g', 6);
        p.drawText(x, y + g.labelHeight - 7, label);
    }
    DrawTitle(p, font, g.width, 14, title);

    // The shared scale: a strip from -max to +max with its three values.
    const QRect strip(g.width / 2 - 150, g.height - 50, 300, 14);
    for (int px = 0; px < strip.width(); ++px) {
        const double w = -limit + 2.0 * limit * (px + 0.5) / strip.width();
        p.setPen(QColor(shade(w)));
        p.drawLine(strip.left() + px, strip.top(), strip.left() + px, strip.bottom());
    }
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(strip.adjusted(-1, -1, 0, 0));
    const QString lo = QString::number(-limit, 'g', 4), hi = QString::number(limit, 'g', 4);
    const int baseline = strip.bottom() + 6 + metrics.ascent();
    p.drawText(strip.left() - metrics.horizontalAdvance(lo) / 2, baseline, lo);
    p.drawText(strip.center().x() - metrics.horizontalAdvance("0") / 2, baseline, QStringLiteral("0"));
    p.drawText(strip.right() - metrics.horizontalAdvance(hi) / 2, baseline, hi);
    p.drawText(strip.left() - 12 - metrics.horizontalAdvance("phi"), strip.bottom(), QStringLiteral("phi"));
}
