// Logarithmic axes, the series and the slope guides of a study, painted with QPainter.
#include "present/StudyPlot.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kWidth = 960, kHeight = 600;
const QRect kArea(QPoint(96, 64), QPoint(kWidth - 32, kHeight - 76));
const QColor kColors[] = {QColor(31, 119, 180), QColor(214, 39, 40), QColor(44, 160, 44),
                          QColor(148, 103, 189), QColor(255, 127, 14), QColor(140, 86, 75)};
const QColor kGridColor(225, 225, 225);
const QColor kGuideColor(110, 110, 110);

// Whole decades around the positive values.
struct Decades {
    int lo = 0, hi = 1;
    void Span(double lowest, double highest)
    {
        lo = static_cast<int>(std::floor(std::log10(lowest)));
        hi = std::max(lo + 1, static_cast<int>(std::ceil(std::log10(highest))));
    }
};

struct Axes {
    Decades h, e;
    double X(double v) const
    {
        return kArea.left() + (std::log10(v) - h.lo) / (h.hi - h.lo) * kArea.width();
    }
    double Y(double v) const
    {
        return kArea.bottom() - (std::log10(v) - e.lo) / (e.hi - e.lo) * kArea.height();
    }
};

Axes ChooseAxes(std::span<const StudySeries> series)
{
    double hLo = HUGE_VAL, hHi = 0.0, eLo = HUGE_VAL, eHi = 0.0;
    for (const StudySeries& s : series)
        for (std::size_t k = 0; k < s.h.size(); ++k)
            if (s.error[k] > 0.0 && s.h[k] > 0.0) {
                hLo = std::min(hLo, s.h[k]);
                hHi = std::max(hHi, s.h[k]);
                eLo = std::min(eLo, s.error[k]);
                eHi = std::max(eHi, s.error[k]);
            }
    Axes axes;
    if (hHi > 0.0) {
        axes.h.Span(hLo, hHi);
        axes.e.Span(eLo, eHi);
    }
    return axes;
}

// Decades labelled 10 with the exponent raised, along x below the area or along y left of it.
void DrawDecades(QPainter& p, const Axes& axes, bool alongX)
{
    const QFontMetrics metrics(p.font());
    const Decades& d = alongX ? axes.h : axes.e;
    for (int k = d.lo; k <= d.hi; ++k) {
        const double v = std::pow(10.0, k);
        const QString label = QStringLiteral("1e%1").arg(k);
        p.setPen(kGridColor);
        if (alongX) {
            const int x = static_cast<int>(std::lround(axes.X(v)));
            p.drawLine(x, kArea.top(), x, kArea.bottom());
            p.setPen(Qt::black);
            p.drawText(x - metrics.horizontalAdvance(label) / 2,
                       kArea.bottom() + 8 + metrics.ascent(), label);
        } else {
            const int y = static_cast<int>(std::lround(axes.Y(v)));
            p.drawLine(kArea.left(), y, kArea.right(), y);
            p.setPen(Qt::black);
            p.drawText(kArea.left() - 8 - metrics.horizontalAdvance(label),
                       y + metrics.ascent() / 2, label);
        }
    }
}

// Dashed lines of the series' orders through the point (h, e), each labelled with its order.
void DrawGuides(QPainter& p, const Axes& axes, const std::vector<int>& orders, double h, double e)
{
    const double hFar = std::pow(10.0, axes.h.hi);
    for (const int order : orders) {
        const QPointF from(axes.X(h), axes.Y(e));
        const QPointF to(axes.X(hFar), axes.Y(e * std::pow(hFar / h, order)));
        p.setPen(QPen(kGuideColor, 1, Qt::DashLine));
        p.drawLine(from, to);
        p.setPen(kGuideColor);
        // The label a quarter of the way along, beside its own line.
        p.drawText(QPointF(axes.X(4.0 * h) + 6, axes.Y(e * std::pow(4.0, order)) + 14),
                   QStringLiteral("order %1").arg(order));
    }
}

// The colour of each series: its place within its family.
std::vector<QColor> SeriesColors(std::span<const StudySeries> series)
{
    std::vector<QColor> colors;
    int place[2] = {0, 0};
    for (const StudySeries& s : series)
        colors.push_back(kColors[place[s.family == 0 ? 0 : 1]++ % 6]);
    return colors;
}

QPen SeriesPen(const StudySeries& s, const QColor& color)
{
    return QPen(color, 1.5, s.family == 0 ? Qt::SolidLine : Qt::DashLine);
}

void DrawMark(QPainter& p, const StudySeries& s, const QPointF& at)
{
    if (s.family == 0)
        p.drawEllipse(at, 3.5, 3.5);
    else
        p.drawRect(QRectF(at.x() - 3.5, at.y() - 3.5, 7.0, 7.0));
}

void DrawSeries(QPainter& p, const Axes& axes, const StudySeries& s, const QColor& color)
{
    QPainterPath path;
    bool open = false;
    for (std::size_t k = 0; k < s.h.size(); ++k) {
        if (!(s.error[k] > 0.0)) {
            open = false;
            continue;
        }
        const QPointF at(axes.X(s.h[k]), axes.Y(s.error[k]));
        open ? path.lineTo(at) : path.moveTo(at);
        open = true;
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        DrawMark(p, s, at);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(SeriesPen(s, color));
    p.drawPath(path);
}

// The legend's box in the corner of the area that hides fewest of the series' points, the upper
// left where several hide none.
QRect LegendBox(std::span<const StudySeries> series, const Axes& axes, QSize size)
{
    const QRect corners[] = {
        QRect(kArea.topLeft() + QPoint(10, 10), size),
        QRect(QPoint(kArea.right() - 10 - size.width(), kArea.top() + 10), size),
        QRect(QPoint(kArea.left() + 10, kArea.bottom() - 10 - size.height()), size),
        QRect(kArea.bottomRight() - QPoint(10 + size.width(), 10 + size.height()), size)};
    const QRect* best = &corners[0];
    int fewest = INT_MAX;
    for (const QRect& box : corners) {
        int hidden = 0;
        for (const StudySeries& s : series)
            for (std::size_t k = 0; k < s.h.size(); ++k)
                hidden += s.error[k] > 0.0 &&
                          box.adjusted(-4, -4, 4, 4).contains(
                              QPointF(axes.X(s.h[k]), axes.Y(s.error[k])).toPoint());
        if (hidden < fewest) {
            fewest = hidden;
            best = &box;
        }
    }
    return *best;
}

void DrawLegend(QPainter& p, std::span<const StudySeries> series, const Axes& axes,
                const std::vector<QColor>& colors)
{
    const QFontMetrics metrics(p.font());
    int widest = 0;
    for (const StudySeries& s : series)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(s.name)));
    const int rows = static_cast<int>(series.size());
    const QRect box = LegendBox(series, axes, QSize(44 + widest, rows * metrics.height() + 12));
    p.fillRect(box, Qt::white);
    p.setPen(Qt::gray);
    p.drawRect(box);
    for (int k = 0; k < rows; ++k) {
        const int y = box.top() + 6 + metrics.height() / 2 + k * metrics.height();
        p.setPen(SeriesPen(series[k], colors[k]));
        p.drawLine(box.left() + 6, y, box.left() + 32, y);
        p.setPen(Qt::black);
        p.drawText(box.left() + 38, y + metrics.ascent() / 2 - 1,
                   QString::fromStdString(series[k].name));
    }
}

}  // namespace

QSize StudyPlotSize()
{
    return {kWidth, kHeight};
}

void PaintStudyPlot(QPainter& p, std::span<const StudySeries> series, const std::string& title)
{
    QFont font = p.font();
    font.setPixelSize(14);
    p.setFont(font);
    const Axes axes = ChooseAxes(series);
    DrawDecades(p, axes, true);
    DrawDecades(p, axes, false);
    const QFontMetrics metrics(font);
    p.setPen(Qt::black);
    p.drawText(kArea.center().x() - metrics.horizontalAdvance("h") / 2,
               kArea.bottom() + 34 + metrics.ascent(), QStringLiteral("h"));
    p.save();
    p.translate(24, kArea.center().y());
    p.rotate(-90);
    p.drawText(-metrics.horizontalAdvance("error") / 2, 0, QStringLiteral("error"));
    p.restore();

    p.setClipRect(kArea);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const StudySeries& s : series)
        if (!s.h.empty() && s.error.back() > 0.0)
            DrawGuides(p, axes, s.guides, s.h.back(), s.error.back());
    const std::vector<QColor> colors = SeriesColors(series);
    for (std::size_t k = 0; k < series.size(); ++k)
        DrawSeries(p, axes, series[k], colors[k]);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipping(false);
    p.setPen(Qt::black);
    p.drawRect(kArea);
    DrawLegend(p, series, axes, colors);

    QFont bold = font;
    bold.setPixelSize(17);
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(0, 16, kWidth, 32), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::fromStdString(title));
}
