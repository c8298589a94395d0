// The field, bilinear in every element as the elements make it, shaded with the colour map's
// scale and intensities; the axes, the colour bar and the title.
#include "present/MapFigure.h"

#include <algorithm>
#include <cmath>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "present/ColorMap.h"

namespace {

// The domain, 15 x 5 in its proportions, and the colour bar beside it.
const QRect kDomain(72, 64, 720, 240);
const QRect kBar(kDomain.right() + 44, kDomain.top(), 22, kDomain.height());

QRgb Shade(double w, const MapScale& scale)
{
    const int d = MapIntensity(w, scale.lo, scale.hi - scale.lo);
    return qRgb(d, d, 255);
}

// W at (x, y): the bilinear interpolation of the four nodes of the element holding the point.
double FieldAt(const MembraneModel& m, double x, double y)
{
    const double dx = m.m_dLenX / m.m_nDivX, dy = m.m_dLenY / m.m_nDivY;
    const int i = std::clamp(static_cast<int>(x / dx), 0, m.m_nDivX - 1);
    const int j = std::clamp(static_cast<int>(y / dy), 0, m.m_nDivY - 1);
    const double s = x / dx - i, t = y / dy - j;
    const int rows = m.m_nDivY + 1;
    const int n = i * rows + j + 1;  // lower left; then right, upper right, upper left
    return (1 - s) * (1 - t) * m.m_W[n] + s * (1 - t) * m.m_W[n + rows] +
           s * t * m.m_W[n + rows + 1] + (1 - s) * t * m.m_W[n + 1];
}

void DrawField(QImage& image, const MembraneModel& m, const MapScale& scale)
{
    for (int py = 0; py < kDomain.height(); ++py) {
        const double y = (kDomain.height() - py - 0.5) / kDomain.height() * m.m_dLenY;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(kDomain.top() + py)) + kDomain.left();
        for (int px = 0; px < kDomain.width(); ++px) {
            const double x = (px + 0.5) / kDomain.width() * m.m_dLenX;
            line[px] = Shade(FieldAt(m, x, y), scale);
        }
    }
}

// From the highest value in the top row of pixels to the lowest in the bottom row.
void DrawBar(QImage& image, const MapScale& scale)
{
    for (int py = 0; py < kBar.height(); ++py) {
        const double f = static_cast<double>(kBar.height() - 1 - py) / (kBar.height() - 1);
        const QRgb c = Shade(scale.lo + f * (scale.hi - scale.lo), scale);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(kBar.top() + py)) + kBar.left();
        std::fill(line, line + kBar.width(), c);
    }
}

// One unit between ticks on both axes: 16 along x, 6 along y.
void DrawAxes(QPainter& p, const MembraneModel& m)
{
    const QFontMetrics metrics(p.font());
    p.setPen(Qt::black);
    for (int u = 0; u <= static_cast<int>(m.m_dLenX); ++u) {
        const int x = kDomain.left() + static_cast<int>(std::lround(u / m.m_dLenX * kDomain.width()));
        p.drawLine(x, kDomain.bottom() + 1, x, kDomain.bottom() + 6);
        const QString label = QString::number(u);
        p.drawText(x - metrics.horizontalAdvance(label) / 2, kDomain.bottom() + 8 + metrics.ascent(),
                   label);
    }
    for (int u = 0; u <= static_cast<int>(m.m_dLenY); ++u) {
        const int y = kDomain.bottom() - static_cast<int>(std::lround(u / m.m_dLenY * kDomain.height()));
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

void DrawBarLabels(QPainter& p, const MapScale& scale)
{
    const QFontMetrics metrics(p.font());
    p.setPen(Qt::black);
    p.drawRect(kBar.adjusted(-1, -1, 0, 0));
    const int x = kBar.right() + 8;
    p.drawText(x, kBar.top() + metrics.ascent() / 2, QString::number(scale.hi, 'g', 7));
    p.drawText(x, kBar.bottom() + metrics.ascent() / 2, QString::number(scale.lo, 'g', 7));
    p.drawText(kBar.center().x() - metrics.horizontalAdvance("W") / 2, kBar.top() - 10,
               QStringLiteral("W"));
}

}  // namespace

QImage MapFigure(const MembraneModel& model, const std::string& title)
{
    QImage image(kFigureWidth, kFigureHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    const MapScale scale = FindMapScale(model);
    DrawField(image, model, scale);
    DrawBar(image, scale);

    QPainter p(&image);
    QFont font = p.font();
    font.setPixelSize(14);
    p.setFont(font);
    DrawAxes(p, model);
    DrawBarLabels(p, scale);
    QFont bold = font;
    bold.setPixelSize(17);
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(0, 14, kFigureWidth, 32), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::fromStdString(title));
    p.end();
    return image;
}
