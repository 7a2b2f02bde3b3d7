#include "tools/report/plot.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <optional>

namespace trelvo::report {
namespace {

const QColor kSpO2Colour(20, 80, 170);
const QColor kPulseColour(0, 150, 0);
const QColor kEventColour(255, 192, 192);
const QColor kGapColour(225, 225, 225);

struct Panel {
    QRectF area;
    double low, high;
    double start, end;
    [[nodiscard]] double X(double seconds) const
    {
        return area.left() + (seconds - start) / std::max(1.0, end - start) * area.width();
    }
    [[nodiscard]] double Y(double value) const
    {
        return area.bottom() - (std::clamp(value, low, high) - low) / (high - low) * area.height();
    }
};

void DrawPanel(QPainter& p, const Panel& panel, const Night& night, const QString& name, const QColor& colour,
               bool spo2, const Figures& f)
{
    const QFont normal = p.font();
    // Time without a valid reading: empty, marked grey, one rectangle a run.
    const auto& rs = night.readings;
    const double step = night.step;
    const auto grey = [&](double from, double to) {
        p.fillRect(QRectF(QPointF(panel.X(from), panel.area.top()), QPointF(panel.X(to), panel.area.bottom())), kGapColour);
    };
    std::optional<double> gapFrom;
    for (std::size_t i = 0; i < rs.size(); ++i) {
        const bool valid = spo2 ? rs[i].spo2.has_value() : rs[i].pulse.has_value();
        const double next = i + 1 < rs.size() ? rs[i + 1].seconds : rs[i].seconds + step;
        if (!valid) {
            if (!gapFrom)
                gapFrom = rs[i].seconds;
            continue;
        }
        if (gapFrom) {
            grey(*gapFrom, rs[i].seconds);
            gapFrom.reset();
        }
        if (next - rs[i].seconds > 1.5 * step)
            grey(rs[i].seconds + step, next);
    }
    if (gapFrom)
        grey(*gapFrom, rs.back().seconds + step);
    if (spo2) {
        for (const Event& e : f.events3)
            p.fillRect(QRectF(QPointF(panel.X(e.start), panel.area.top()), QPointF(panel.X(e.end), panel.area.bottom())),
                       kEventColour);
        p.setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
        p.drawLine(QPointF(panel.area.left(), panel.Y(90)), QPointF(panel.area.right(), panel.Y(90)));
        p.drawText(QPointF(panel.area.right() + 6, panel.Y(90) + 4), QStringLiteral("90 %"));
    }

    // Value axis.
    p.setPen(Qt::black);
    p.drawRect(panel.area);
    const double tick = spo2 ? 5 : 20;
    for (double v = std::ceil(panel.low / tick) * tick; v <= panel.high; v += tick) {
        p.setPen(QColor(235, 235, 235));
        p.drawLine(QPointF(panel.area.left() + 1, panel.Y(v)), QPointF(panel.area.right() - 1, panel.Y(v)));
        p.setPen(Qt::black);
        p.drawText(QRectF(panel.area.left() - 46, panel.Y(v) - 9, 40, 18), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'f', 0));
    }
    QFont bold = normal;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QPointF(panel.area.left(), panel.area.top() - 8), name);
    p.setFont(normal);

    // The readings, broken where there are none. A night has far more readings than the panel
    // has pixel columns: each column keeps its first, lowest, highest and last point, which
    // draws the same line as all of them.
    p.setPen(QPen(colour, 1.6));
    QPainterPath path;
    bool drawing = false;
    double last = -1e9;
    struct Column {
        int x = -1;
        QPointF first, low, high, lastPoint;
    } column;
    const auto flush = [&] {
        if (column.x < 0)
            return;
        const bool lowFirst = column.low.x() <= column.high.x();
        for (const QPointF& at : {lowFirst ? column.low : column.high, lowFirst ? column.high : column.low,
                                  column.lastPoint})
            if (at != path.currentPosition())
                path.lineTo(at);
        column.x = -1;
    };
    for (const Reading& r : rs) {
        const std::optional<int> v = spo2 ? r.spo2 : r.pulse;
        if (!v || r.seconds - last > 1.5 * step) {
            flush();
            drawing = false;
        }
        if (!v)
            continue;
        const QPointF at(panel.X(r.seconds), panel.Y(*v));
        last = r.seconds;
        if (!drawing) {
            path.moveTo(at);
            drawing = true;
            column = {static_cast<int>(at.x()), at, at, at, at};
            continue;
        }
        if (static_cast<int>(at.x()) != column.x) {
            flush();
            path.lineTo(at);
            column = {static_cast<int>(at.x()), at, at, at, at};
            continue;
        }
        // Screen y grows downwards: the lowest value has the largest y.
        if (at.y() > column.low.y())
            column.low = at;
        if (at.y() < column.high.y())
            column.high = at;
        column.lastPoint = at;
    }
    flush();
    p.drawPath(path);
}

}  // namespace

void PaintReport(QPainter& p, const Night& night, const Figures& f, const QString& title)
{
    p.fillRect(QRect(0, 0, kPlotWidth, kPlotHeight), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    p.setFont(font);

    QFont big = font;
    big.setPixelSize(20);
    big.setBold(true);
    p.setFont(big);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 12, kPlotWidth, 28), Qt::AlignHCenter, title);
    p.setFont(font);
    p.drawText(QRectF(0, 42, kPlotWidth, 20), Qt::AlignHCenter,
               QStringLiteral("%1 to %2 · mean SpO2 %3 % · ODI3 %4/h · ODI4 %5/h · shaded: desaturations of 3 points or more · grey: no reading")
                   .arg(QString::fromStdString(ClockText(f.start)), QString::fromStdString(ClockText(f.end)))
                   .arg(f.spo2Mean, 0, 'f', 1)
                   .arg(f.odi3, 0, 'f', 1)
                   .arg(f.odi4, 0, 'f', 1));

    const double left = 70, right = kPlotWidth - 60;
    int pulseLow = 40, pulseHigh = 140;
    if (f.pulseMax > 0) {
        pulseLow = std::min(pulseLow, (f.pulseMin / 20) * 20);
        pulseHigh = std::max(pulseHigh, (f.pulseMax / 20 + 1) * 20);
    }
    const Panel spo2{QRectF(QPointF(left, 100), QPointF(right, 400)), std::min(70.0, f.spo2Min - 2.0), 100.0,
                     f.start, f.end};
    const Panel pulse{QRectF(QPointF(left, 450), QPointF(right, 660)), static_cast<double>(pulseLow),
                      static_cast<double>(pulseHigh), f.start, f.end};
    DrawPanel(p, spo2, night, QStringLiteral("SpO2 [%]"), kSpO2Colour, true, f);
    DrawPanel(p, pulse, night, QStringLiteral("Pulse [1/min]"), kPulseColour, false, f);

    // Hour ticks on the clock.
    p.setPen(Qt::black);
    for (double h = std::ceil(f.start / 3600) * 3600; h <= f.end; h += 3600) {
        for (const Panel* panel : {&spo2, &pulse})
            p.drawLine(QPointF(panel->X(h), panel->area.bottom()), QPointF(panel->X(h), panel->area.bottom() + 6));
        p.drawText(QRectF(pulse.X(h) - 30, pulse.area.bottom() + 8, 60, 18), Qt::AlignHCenter,
                   QString::fromStdString(ClockText(h)).left(5));
    }
    p.drawText(QRectF(0, kPlotHeight - 34, kPlotWidth, 20), Qt::AlignHCenter,
               QStringLiteral("This report is not a medical diagnosis. A PC is not suitable for patient monitoring."));
}

}  // namespace trelvo::report
