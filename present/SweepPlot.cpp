// Axes, ticks, resonance lines and the curve of a sweep, painted with QPainter.
#include "present/SweepPlot.h"

#include <algorithm>
#include <cmath>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kCurveColor(31, 119, 180);
const QColor kResonanceColor(214, 39, 40, 150);  // the curve stays readable across the lines
const QColor kSilentColor(120, 120, 120, 90);    // a resonance the load does not excite
const QColor kGridColor(225, 225, 225);

const QRect kArea(QPoint(kSweepAreaLeft, kSweepAreaTop), QPoint(kSweepAreaRight, kSweepAreaBottom));

// A tick step of 1, 2 or 5 times a power of ten giving at most about eight ticks.
double TickStep(double span)
{
    const double raw = span / 8.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0})
        if (f * magnitude >= raw)
            return f * magnitude;
    return 10.0 * magnitude;
}

struct Axes {
    double x0, x1;   // alpha
    int decadeLo;    // log10 of the lowest and highest values shown
    int decadeHi;

    double X(double alpha) const { return kArea.left() + (alpha - x0) / (x1 - x0) * kArea.width(); }
    double Y(double value) const
    {
        return kArea.bottom() -
               (std::log10(value) - decadeLo) / (decadeHi - decadeLo) * kArea.height();
    }
};

Axes ChooseAxes(std::span<const CurvePoint> points)
{
    Axes axes{points.front().alpha, points.back().alpha, 0, 1};
    if (!(axes.x1 > axes.x0)) {
        axes.x0 -= 0.5;
        axes.x1 += 0.5;
    }
    double lo = HUGE_VAL, hi = 0.0;
    for (const CurvePoint& p : points) {
        if (std::isfinite(p.maxAbsW) && p.maxAbsW > 0.0) {
            lo = std::min(lo, p.maxAbsW);
            hi = std::max(hi, p.maxAbsW);
        }
    }
    if (hi > 0.0) {
        axes.decadeLo = static_cast<int>(std::floor(std::log10(lo)));
        axes.decadeHi = std::max(axes.decadeLo + 1, static_cast<int>(std::ceil(std::log10(hi))));
    }
    return axes;
}

void DrawXAxis(QPainter& p, const Axes& axes)
{
    const QFontMetrics metrics(p.font());
    const double step = TickStep(axes.x1 - axes.x0);
    for (double k = std::ceil(axes.x0 / step); k * step <= axes.x1 + step * 1e-9; k += 1.0) {
        const double alpha = k * step;
        const int x = static_cast<int>(std::lround(axes.X(alpha)));
        p.setPen(kGridColor);
        p.drawLine(x, kArea.top(), x, kArea.bottom());
        p.setPen(Qt::black);
        p.drawLine(x, kArea.bottom(), x, kArea.bottom() + 5);
        const QString label = QString::number(alpha == 0.0 ? 0.0 : alpha, 'g', 6);
        p.drawText(x - metrics.horizontalAdvance(label) / 2, kArea.bottom() + 8 + metrics.ascent(),
                   label);
    }
    const QString title = QStringLiteral("alpha");
    p.drawText(kArea.center().x() - metrics.horizontalAdvance(title) / 2,
               kArea.bottom() + 34 + metrics.ascent(), title);
}

// Decades labelled 10 with the exponent raised.
void DrawYAxis(QPainter& p, const Axes& axes)
{
    const QFont font = p.font();
    QFont small = font;
    small.setPixelSize(font.pixelSize() * 3 / 4);
    const QFontMetrics metrics(font), smallMetrics(small);
    for (int d = axes.decadeLo; d <= axes.decadeHi; ++d) {
        const int y = static_cast<int>(std::lround(axes.Y(std::pow(10.0, d))));
        p.setPen(kGridColor);
        p.drawLine(kArea.left(), y, kArea.right(), y);
        p.setPen(Qt::black);
        p.drawLine(kArea.left() - 5, y, kArea.left(), y);
        const QString exponent = QString::number(d);
        const int right = kArea.left() - 8;
        const int baseline = y + metrics.ascent() / 2;
        p.setFont(small);
        p.drawText(right - smallMetrics.horizontalAdvance(exponent), baseline - metrics.ascent() / 2,
                   exponent);
        p.setFont(font);
        p.drawText(right - smallMetrics.horizontalAdvance(exponent) - metrics.horizontalAdvance("10"),
                   baseline, QStringLiteral("10"));
    }
    p.save();
    p.translate(24, kArea.center().y());
    p.rotate(-90);
    const QString title = QStringLiteral("max |W|");
    p.drawText(-metrics.horizontalAdvance(title) / 2, 0, title);
    p.restore();
}

void DrawCurve(QPainter& p, const Axes& axes, std::span<const CurvePoint> points)
{
    QPainterPath path;
    bool open = false;
    for (const CurvePoint& s : points) {
        if (!std::isfinite(s.maxAbsW) || s.maxAbsW <= 0.0) {
            open = false;
            continue;
        }
        const QPointF at(axes.X(s.alpha), axes.Y(s.maxAbsW));
        if (open)
            path.lineTo(at);
        else
            path.moveTo(at);
        open = true;
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kCurveColor, 1.5));
    p.drawPath(path);
    p.setRenderHint(QPainter::Antialiasing, false);
}

QPen LinePen(bool excited)
{
    return excited ? QPen(kResonanceColor, 1) : QPen(kSilentColor, 1, Qt::DashLine);
}

// The legend in one row below the plot, clear of the curve and the lines: a sample of each kind
// of line, long enough for the dashes to show, and what it means.
void DrawLegend(QPainter& p, int excited, int silent)
{
    const QFontMetrics metrics(p.font());
    const QString texts[] = {
        QStringLiteral("max |W| of a full solve"),
        QStringLiteral("resonance excited by the load (%1)").arg(excited),
        QStringLiteral("resonance not excited (%1)").arg(silent),
    };
    constexpr int kSample = 36, kAfterSample = 8, kBetween = 28;
    int width = 0;
    for (const QString& text : texts)
        width += kSample + kAfterSample + metrics.horizontalAdvance(text);
    width += 2 * kBetween;
    int x = (kSweepPlotWidth - width) / 2;
    const int y = kSweepPlotHeight - 22;
    for (int k = 0; k < 3; ++k) {
        // The resonances' samples twice as wide as their lines, in the same colour and dashes.
        QPen pen = k == 0 ? QPen(kCurveColor, 1.5) : LinePen(k == 1);
        if (k > 0)
            pen.setWidth(2);
        p.setPen(pen);
        p.drawLine(x, y, x + kSample, y);
        p.setPen(Qt::black);
        p.drawText(x + kSample + kAfterSample, y + metrics.ascent() / 2 - 1, texts[k]);
        x += kSample + kAfterSample + metrics.horizontalAdvance(texts[k]) + kBetween;
    }
}

}  // namespace

QSize SweepPlotSize()
{
    return {kSweepPlotWidth, kSweepPlotHeight};
}

void PaintSweepPlot(QPainter& p, std::span<const CurvePoint> points,
                    std::span<const ResonanceLine> lines, const std::string& title)
{
    if (points.empty())
        return;
    QFont font = p.font();
    font.setPixelSize(14);
    p.setFont(font);
    const Axes axes = ChooseAxes(points);

    DrawXAxis(p, axes);
    DrawYAxis(p, axes);
    p.setClipRect(kArea);
    // The silent ones first, so that an excited line beside one stays whole.
    int excited = 0;
    for (const bool pass : {false, true}) {
        p.setPen(LinePen(pass));
        for (const ResonanceLine& r : lines) {
            if (r.excited != pass)
                continue;
            const int x = static_cast<int>(std::lround(axes.X(r.alpha)));
            p.drawLine(x, kArea.top(), x, kArea.bottom());
            excited += pass;
        }
    }
    DrawCurve(p, axes, points);
    p.setClipping(false);
    p.setPen(Qt::black);
    p.drawRect(kArea);
    DrawLegend(p, excited, static_cast<int>(lines.size()) - excited);

    QFont bold = font;
    bold.setPixelSize(17);
    bold.setBold(true);
    p.setFont(bold);
    const QString text = QString::fromStdString(title);
    p.drawText(QRect(0, 16, kSweepPlotWidth, 32), Qt::AlignHCenter | Qt::AlignVCenter, text);
}
