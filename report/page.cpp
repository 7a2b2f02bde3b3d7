#include "report/page.h"

#include "report/plot.h"
#include "report/summary_text.h"

#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>

namespace trelvo::report {
namespace {

constexpr double kWidth = 1200;  // the page's width in drawing units; its height follows the paper
const QString kNoDiagnosis =
    QStringLiteral("This report is not a medical diagnosis. A PC is not suitable for patient monitoring.");

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

// A PDF being written: A4, or Letter where the locale measures in inches; the page kWidth units
// wide and as high as the paper makes it.
class PdfPages {
public:
    PdfPages(QIODevice& out, const QString& title) : m_writer(&out)
    {
        const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
        m_writer.setPageLayout(QPageLayout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                                           QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        m_writer.setResolution(300);
        m_writer.setTitle(title);
        m_writer.setCreator(QStringLiteral("trelvo-report"));
    }
    [[nodiscard]] bool Begin()
    {
        if (!m_painter.begin(&m_writer))
            return false;
        const QRect device = m_writer.pageLayout().paintRectPixels(m_writer.resolution());
        m_height = kWidth * device.height() / device.width();
        m_painter.setWindow(0, 0, static_cast<int>(kWidth), static_cast<int>(m_height));
        m_painter.setViewport(0, 0, device.width(), device.height());
        m_painter.setRenderHint(QPainter::Antialiasing);
        return true;
    }
    [[nodiscard]] bool NextPage()
    {
        if (!m_writer.newPage())
            return false;
        m_painter.setRenderHint(QPainter::Antialiasing);
        return true;
    }
    [[nodiscard]] bool End() { return m_painter.end(); }
    [[nodiscard]] QPainter& Painter() { return m_painter; }
    [[nodiscard]] double Height() const { return m_height; }

private:
    QPdfWriter m_writer;
    QPainter m_painter;
    double m_height = 0;
};

// One night on a page of this height: title, figures, panels, bands, hours, the rules and the
// reminder that it is no diagnosis.
void PaintNightPage(QPainter& p, double height, const Night& night, const Figures& f, const QString& title,
                    const QString& subtitle)
{
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
    p.drawText(QRectF(0, height - 40, kWidth, 30), Qt::AlignHCenter | Qt::AlignVCenter, kNoDiagnosis);
}

// The foot of every page of a report of many nights.
void PaintFoot(QPainter& p, double height, int page, int pages, const QString& range)
{
    const ReportFonts fonts(13);
    p.setFont(fonts.normal);
    p.setPen(QColor(90, 90, 90));
    p.drawLine(QPointF(0, height - 26), QPointF(kWidth, height - 26));
    p.drawText(QRectF(0, height - 22, kWidth, 22), Qt::AlignLeft | Qt::AlignVCenter, range);
    p.drawText(QRectF(0, height - 22, kWidth, 22), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    p.setPen(Qt::black);
}

bool Short(const NightRow& r)
{
    return r.analysedHours < kShortestCountedHours;
}

QString Number(const std::optional<double>& v, int decimals)
{
    return v ? QString::number(*v, 'f', decimals) : QStringLiteral("–");
}

// Rows [from, to) of the nights' table, and the means under the last of them.
constexpr double kRowHeight = 22;
double PaintNightsTable(QPainter& p, double top, const std::vector<NightRow>& rows, std::size_t from, std::size_t to,
                        bool withMeans)
{
    const ReportFonts fonts(15);
    const std::array<double, 11> bounds = {0, 0.16, 0.27, 0.38, 0.48, 0.56, 0.65, 0.74, 0.82, 0.90, 1.0};
    const QStringList header = {QStringLiteral("Night of"),  QStringLiteral("Recorded"), QStringLiteral("Analysed"),
                                QStringLiteral("SpO2 mean"), QStringLiteral("lowest"),   QStringLiteral("T90 min"),
                                QStringLiteral("T88 min"),   QStringLiteral("ODI3/h"),   QStringLiteral("ODI4/h"),
                                QStringLiteral("Pulse")};
    const auto cells = [&](double y, const QStringList& texts, bool grey) {
        p.setPen(grey ? QColor(120, 120, 120) : QColor(Qt::black));
        for (qsizetype c = 0; c < texts.size(); ++c) {
            const double x = bounds[static_cast<std::size_t>(c)] * kWidth;
            const double w = (bounds[static_cast<std::size_t>(c) + 1] - bounds[static_cast<std::size_t>(c)]) * kWidth;
            p.drawText(QRectF(x + 4, y, w - 8, kRowHeight),
                       (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, texts[c]);
        }
        p.setPen(Qt::black);
    };
    const auto hours = [](double h) { return Text(DurationText(h * 3600)); };
    p.setFont(fonts.bold);
    cells(top, header, false);
    p.setFont(fonts.normal);
    double y = top + kRowHeight;
    for (std::size_t i = from; i < to; ++i, y += kRowHeight) {
        const NightRow& r = rows[i];
        if ((i - from) % 2 == 0)
            p.fillRect(QRectF(0, y, kWidth, kRowHeight), QColor(242, 242, 242));
        cells(y,
              {Text(r.date) + (Short(r) ? QStringLiteral(" *") : QString()), hours(r.recordingHours),
               hours(r.analysedHours), Number(r.spo2Mean, 1) + QStringLiteral(" %"),
               r.spo2Min ? QStringLiteral("%1 %").arg(*r.spo2Min) : QStringLiteral("–"),
               QString::number(r.t90Minutes, 'f', 1), QString::number(r.t88Minutes, 'f', 1), Number(r.odi3, 1),
               Number(r.odi4, 1), Number(r.pulseMean, 0)},
              Short(r));
    }
    if (!withMeans)
        return y;
    // Each counted night weighs the same.
    std::vector<const NightRow*> counted;
    for (const NightRow& r : rows)
        if (!Short(r))
            counted.push_back(&r);
    const auto mean = [&](auto value) -> std::optional<double> {
        double sum = 0;
        std::size_t n = 0;
        for (const NightRow* r : counted)
            if (const std::optional<double> v = value(*r)) {
                sum += *v;
                ++n;
            }
        return n > 0 ? std::optional(sum / static_cast<double>(n)) : std::nullopt;
    };
    const auto asOptional = [](auto v) -> std::optional<double> {
        return v ? std::optional<double>(static_cast<double>(*v)) : std::nullopt;
    };
    p.setPen(QColor(160, 160, 160));
    p.drawLine(QPointF(0, y + 2), QPointF(kWidth, y + 2));
    p.setFont(fonts.bold);
    const auto recorded = mean([](const NightRow& r) { return std::optional(r.recordingHours); });
    const auto analysed = mean([](const NightRow& r) { return std::optional(r.analysedHours); });
    cells(y + 4,
          {QStringLiteral("Mean of %1").arg(counted.size()), recorded ? hours(*recorded) : QStringLiteral("–"),
           analysed ? hours(*analysed) : QStringLiteral("–"),
           Number(mean([](const NightRow& r) { return r.spo2Mean; }), 1) + QStringLiteral(" %"),
           Number(mean([&](const NightRow& r) { return asOptional(r.spo2Min); }), 1) + QStringLiteral(" %"),
           Number(mean([](const NightRow& r) { return std::optional(r.t90Minutes); }), 1),
           Number(mean([](const NightRow& r) { return std::optional(r.t88Minutes); }), 1),
           Number(mean([](const NightRow& r) { return r.odi3; }), 1),
           Number(mean([](const NightRow& r) { return r.odi4; }), 1),
           Number(mean([](const NightRow& r) { return r.pulseMean; }), 0)},
          false);
    p.setFont(fonts.normal);
    return y + 4 + kRowHeight;
}

}  // namespace

QString WriteNightsPdf(QIODevice& out, const NightsReport& report)
{
    const QString title =
        QStringLiteral("Overnight oximetry — %1 nights, %2").arg(report.rows.size()).arg(report.range);
    PdfPages pdf(out, title);
    if (!pdf.Begin())
        return QStringLiteral("the PDF could not be started");
    QPainter& p = pdf.Painter();
    const double height = pdf.Height() - 34;  // above the foot
    const ReportFonts fonts(15);
    QFont big = fonts.bold, heading = fonts.bold;
    big.setPixelSize(28);
    heading.setPixelSize(17);

    // How the first page is shared: the table gets what the trend and the rules leave; a longer
    // table goes on over pages of its own.
    const double tableTop = 130, trendHeight = 380, rulesHeight = 200;
    const auto fits = [&](double top, double bottom) {
        return static_cast<std::size_t>(std::max(0.0, (bottom - top) / kRowHeight - 3));
    };
    const std::size_t firstRows = fits(tableTop, height - trendHeight - rulesHeight);
    const std::size_t moreRows = fits(60, height);
    const std::size_t n = report.rows.size();
    const std::size_t tablePages = n <= firstRows ? 0 : (n - firstRows + moreRows - 1) / moreRows;
    const int pages = static_cast<int>(1 + tablePages + n);
    int page = 1;

    p.setFont(big);
    p.drawText(QRectF(0, 0, kWidth, 40), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(fonts.normal);
    QStringList person;
    if (!report.person.isEmpty())
        person << QStringLiteral("Name: %1").arg(report.person);
    if (!report.born.isEmpty())
        person << QStringLiteral("Born: %1").arg(report.born);
    p.drawText(QRectF(0, 44, kWidth, 22), Qt::AlignLeft | Qt::AlignVCenter, person.join(QStringLiteral(" · ")));
    p.setFont(heading);
    p.drawText(QPointF(0, 110), QStringLiteral("The nights"));
    std::size_t shown = std::min(n, firstRows);
    double y = PaintNightsTable(p, tableTop, report.rows, 0, shown, shown == n);
    const auto finishTable = [&](double below) {
        p.setFont(fonts.normal);
        p.setPen(QColor(70, 70, 70));
        p.drawText(QRectF(0, below + 6, kWidth, 22), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("* less than %1 hours analysed: shown, but not counted in the means. The means "
                                  "weigh each counted night the same.")
                       .arg(kShortestCountedHours));
        p.setPen(Qt::black);
    };
    if (shown == n)
        finishTable(y);
    p.setFont(heading);
    // Right under a short table, else where the table's room ends.
    const double trendTop = std::min(height - trendHeight - rulesHeight + 20, y + 80);
    p.drawText(QPointF(0, trendTop), QStringLiteral("ODI3 and T90 night by night"));
    p.save();
    p.translate(0, trendTop + 8);
    p.scale(kWidth / kTrendWidth, (trendHeight - 20) / kTrendHeight);
    PaintTrend(p, report.rows, QString());
    p.restore();
    p.setFont(fonts.normal);
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRectF(0, trendTop + trendHeight + 10, kWidth, rulesHeight - 70), Qt::TextWordWrap | Qt::AlignLeft,
               QStringLiteral("How it is counted: ") + Text(RulesText()) + QLatin1Char('.'));
    p.setPen(Qt::black);
    p.setFont(fonts.bold);
    p.drawText(QRectF(0, height - 40, kWidth, 30), Qt::AlignHCenter | Qt::AlignVCenter, kNoDiagnosis);
    PaintFoot(p, pdf.Height(), page, pages, report.range);

    while (shown < n) {
        if (!pdf.NextPage())
            return QStringLiteral("the PDF could not be written");
        const std::size_t to = std::min(n, shown + moreRows);
        p.setFont(heading);
        p.drawText(QPointF(0, 30), QStringLiteral("The nights (continued)"));
        y = PaintNightsTable(p, 50, report.rows, shown, to, to == n);
        shown = to;
        if (shown == n)
            finishTable(y);
        PaintFoot(p, pdf.Height(), ++page, pages, report.range);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!pdf.NextPage())
            return QStringLiteral("the PDF could not be written");
        if (const std::optional<NightsReport::Page> night = report.night ? report.night(i) : std::nullopt)
            PaintNightPage(p, height, night->night, night->figures, night->title, night->subtitle);
        else {
            p.setFont(big);
            p.drawText(QRectF(0, 0, kWidth, 40), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("Night of %1: its files can no longer be read").arg(Text(report.rows[i].date)));
        }
        PaintFoot(p, pdf.Height(), ++page, pages, report.range);
    }
    if (!pdf.End())
        return QStringLiteral("the PDF could not be finished");
    return {};
}

QString WritePdf(QIODevice& out, const Night& night, const Figures& f, const QString& title, const QString& subtitle)
{
    PdfPages pdf(out, title);
    if (!pdf.Begin())
        return QStringLiteral("the PDF could not be started");
    PaintNightPage(pdf.Painter(), pdf.Height(), night, f, title, subtitle);
    if (!pdf.End())
        return QStringLiteral("the PDF could not be finished");
    return {};
}

}  // namespace trelvo::report
