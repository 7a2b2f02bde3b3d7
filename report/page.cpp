#include "report/page.h"

#include "report/plot.h"
#include "report/summary_text.h"

#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace trelvo::report {
namespace {

constexpr double kWidth = 1200;  // the page's width in drawing units; its height follows the paper

QString Text(const std::string& s)
{
    return QString::fromStdString(s);
}

QString Minutes(double seconds)
{
    return QStringLiteral("%1 min").arg(seconds / 60, 0, 'f', 1);
}

// The figures in two columns of "name  value" lines.
void PaintFigures(QPainter& p, const QRectF& area, const Night& night, const Figures& f)
{
    const auto share = [&f](double s) { return f.validSeconds > 0 ? 100.0 * s / f.validSeconds : 0.0; };
    const double recording = f.end - f.start;
    const auto rate = [&f](std::size_t count) { return Text(RateText(count, f.validSeconds, 0)); };
    const QList<std::pair<QString, QString>> left = {
        {QStringLiteral("Recorded"), Text(MomentText(night, f.start)) + QStringLiteral(" to ") +
                                         Text(MomentText(night, f.end)).right(8) + QStringLiteral(" (") +
                                         Text(DurationText(recording)) + QLatin1Char(')')},
        {QStringLiteral("Analysed"), QStringLiteral("%1 of valid readings (%2 %)")
                                         .arg(Text(DurationText(f.validSeconds)))
                                         .arg(recording > 0 ? 100 * f.validSeconds / recording : 0, 0, 'f', 1)},
        {QStringLiteral("Excluded"),
         QStringLiteral("%1 %: no data %2, probe off %3, no finger %4")
             .arg(recording > 0 ? 100 * (f.noDataSeconds + f.probeOffSeconds + f.noSignalSeconds) / recording : 0, 0,
                  'f', 1)
             .arg(Minutes(f.noDataSeconds), Minutes(f.probeOffSeconds), Minutes(f.noSignalSeconds))},
        {QStringLiteral("SpO2"), f.validSeconds > 0 ? QStringLiteral("mean %1 %, median %2 %, lowest %3 % at %4")
                                                          .arg(f.spo2Mean, 0, 'f', 1)
                                                          .arg(f.spo2Median, 0, 'f', 1)
                                                          .arg(f.spo2Min)
                                                          .arg(Text(ClockAt(night, f.spo2MinAt)))
                                                    : QStringLiteral("no valid reading")},
        {QStringLiteral("Baseline"),
         f.baselineMedian
             ? QStringLiteral("%1 % (median of the running 2-minute mean)").arg(*f.baselineMedian, 0, 'f', 1)
             : QStringLiteral("none: no valid reading has another before it")},
        {QStringLiteral("T90"), QStringLiteral("%1 (%2 %), below 90 %")
                                    .arg(Minutes(f.below90Seconds))
                                    .arg(share(f.below90Seconds), 0, 'f', 1)},
        {QStringLiteral("T88"), QStringLiteral("%1 (%2 %), at or below 88 %")
                                    .arg(Minutes(f.atOrBelow88Seconds))
                                    .arg(share(f.atOrBelow88Seconds), 0, 'f', 1)},
    };
    const QList<std::pair<QString, QString>> right = {
        {QStringLiteral("ODI3"),
         QStringLiteral("%1 per hour (%2 events)").arg(rate(f.events3.size())).arg(f.events3.size())},
        {QStringLiteral("ODI4"),
         QStringLiteral("%1 per hour (%2 events)").arg(rate(f.events4.size())).arg(f.events4.size())},
        {QStringLiteral("Pulse"), f.hasPulse ? QStringLiteral("mean %1, lowest %2, highest %3 per minute")
                                                   .arg(f.pulseMean, 0, 'f', 0)
                                                   .arg(f.pulseMin)
                                                   .arg(f.pulseMax)
                                             : QStringLiteral("no valid reading")},
        {QStringLiteral("Pulse rises"),
         QStringLiteral("%1 per hour (%2 events)").arg(rate(f.pulseRises.size())).arg(f.pulseRises.size())},
        {QStringLiteral("Resolution"), night.step == kRowSeconds ? QStringLiteral("1 s (per-second file)")
                                                                 : QStringLiteral("5 s (record file alone)")},
    };
    const double lineHeight = 22;
    const QFont normal = p.font();
    QFont bold = normal;
    bold.setBold(true);
    const auto column = [&](const QList<std::pair<QString, QString>>& lines, double x, double nameWidth, double width) {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const double y = area.top() + static_cast<double>(i) * lineHeight;
            p.setFont(bold);
            p.drawText(QRectF(x, y, nameWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, lines[i].first);
            p.setFont(normal);
            p.drawText(QRectF(x + nameWidth, y, width - nameWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                       lines[i].second);
        }
    };
    column(left, area.left(), 90, area.width() * 0.6);
    column(right, area.left() + area.width() * 0.62, 100, area.width() * 0.38);
}

}  // namespace

QString WritePdf(QIODevice& out, const Night& night, const Figures& f, const QString& title, const QString& subtitle)
{
    QPdfWriter writer(&out);
    const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    writer.setPageLayout(QPageLayout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("trelvo-report"));
    QPainter p;
    if (!p.begin(&writer))
        return QStringLiteral("the PDF could not be started");
    const QRect device = writer.pageLayout().paintRectPixels(writer.resolution());
    const double height = kWidth * device.height() / device.width();
    p.setWindow(0, 0, static_cast<int>(kWidth), static_cast<int>(height));
    p.setViewport(0, 0, device.width(), device.height());
    p.setRenderHint(QPainter::Antialiasing);

    const ReportFonts fonts(15);
    const QFont& font = fonts.normal;
    QFont big = fonts.bold, heading = fonts.bold;
    big.setPixelSize(28);
    heading.setPixelSize(17);

    p.setPen(Qt::black);
    p.setFont(big);
    p.drawText(QRectF(0, 0, kWidth, 40), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(font);
    p.drawText(QRectF(0, 44, kWidth, 22), Qt::AlignLeft | Qt::AlignVCenter, subtitle);
    p.setPen(QColor(160, 160, 160));
    p.drawLine(QPointF(0, 76), QPointF(kWidth, 76));
    p.setPen(Qt::black);
    PaintFigures(p, QRectF(0, 90, kWidth, 160), night, f);

    p.setFont(heading);
    p.drawText(QPointF(0, 282), QStringLiteral("SpO2 and pulse through the night"));
    p.setFont(font);
    PaintPanels(p, QRectF(QPointF(60, 330), QPointF(kWidth - 60, 960)), night, f);

    const double lower = 1040;
    p.setFont(heading);
    p.drawText(QPointF(0, lower), QStringLiteral("Time in SpO2 bands (of analysed time)"));
    p.drawText(QPointF(kWidth * 0.55, lower), QStringLiteral("Desaturations per clock hour"));
    p.setFont(font);
    PaintBands(p, QRectF(0, lower + 16, kWidth * 0.5, 170), f);
    const double tableBottom = height - 190;
    PaintHourTable(p, QRectF(kWidth * 0.55, lower + 16, kWidth * 0.45, tableBottom - lower - 16), night, f);

    p.setFont(font);
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRectF(0, height - 170, kWidth, 110), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("How it is counted: ") + Text(RulesText()) + QStringLiteral(". Resolution: ") +
                   Text(ResolutionText(night)) + QLatin1Char('.'));
    p.setPen(Qt::black);
    p.setFont(fonts.bold);
    p.drawText(QRectF(0, height - 40, kWidth, 30), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("This report is not a medical diagnosis. A PC is not suitable for patient monitoring."));
    if (!p.end())
        return QStringLiteral("the PDF could not be finished");
    return {};
}

}  // namespace trelvo::report
