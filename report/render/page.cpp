#include "report/render/page.h"

#include "report/render/plot.h"
#include "report/words/figure_lines.h"
#include "report/words/summary_text.h"

#include "lang/string_table.h"

#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>

namespace trelvo::report {
namespace {

constexpr double kWidth = 1200;  // the page's width in drawing units; its height follows the paper
namespace words = lang::text::report;

QString Say(const Speech& speech, int offset, std::initializer_list<std::string_view> values = {})
{
    return QString::fromStdString(speech.Text(offset, values));
}

QString Text(const std::string& s)
{
    return QString::fromStdString(s);
}

// The figures in two columns of "name  value" lines.
void PaintFigures(QPainter& p, const QRectF& area, const Night& night, const Figures& f, const Speech& speech)
{
    const NightFigureLines lines = FigureLines(night, f, speech);
    const double lineHeight = 22;
    const QFont normal = p.font();
    QFont bold = normal;
    bold.setBold(true);
    const auto column = [&](const std::vector<FigureLine>& column, double x, double nameWidth, double width) {
        for (std::size_t i = 0; i < column.size(); ++i) {
            const double y = area.top() + static_cast<double>(i) * lineHeight;
            p.setFont(bold);
            p.drawText(QRectF(x, y, nameWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, Text(column[i].name));
            p.setFont(normal);
            p.drawText(QRectF(x + nameWidth, y, width - nameWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                       Text(column[i].value));
        }
    };
    column(lines.recording, area.left(), 150, area.width() * 0.6);
    column(lines.events, area.left() + area.width() * 0.62, 120, area.width() * 0.38);
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
                    const QString& subtitle, const Speech& speech)
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
    PaintFigures(p, QRectF(0, 90, kWidth, 160), night, f, speech);

    p.setFont(heading);
    p.drawText(QPointF(0, 282), Say(speech, words::kPanelsHeading));
    p.setFont(font);
    // The person's note beside the heading, on one line.
    if (const std::string note = NoteText(night.note, night.tags, speech); !note.empty()) {
        const QString text = Say(speech, lang::text::kNoteName) + QStringLiteral(": ") + Text(note);
        const QRectF noteArea(kWidth * 0.3, 262, kWidth * 0.7, 26);
        p.drawText(noteArea, Qt::AlignRight | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(noteArea.width())));
    }
    PaintPanels(p, QRectF(QPointF(60, 330), QPointF(kWidth - 60, 960)), night, f, speech);

    const double lower = 1040;
    p.setFont(heading);
    p.drawText(QPointF(0, lower), Say(speech, words::kBandsHeading));
    p.drawText(QPointF(kWidth * 0.55, lower), Say(speech, words::kHoursHeading));
    p.setFont(font);
    PaintBands(p, QRectF(0, lower + 16, kWidth * 0.5, 170), f, speech);
    const double tableBottom = height - 190;
    PaintHourTable(p, QRectF(kWidth * 0.55, lower + 16, kWidth * 0.45, tableBottom - lower - 16), night, f, speech);

    p.setFont(font);
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRectF(0, height - 170, kWidth, 110), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignBottom,
               Say(speech, words::kHowCounted) + Text(RulesText(speech)) + Say(speech, words::kResolutionAfter) +
                   Text(ResolutionText(night, speech)) + QLatin1Char('.'));
    p.setPen(Qt::black);
    p.setFont(fonts.bold);
    p.drawText(QRectF(0, height - 40, kWidth, 30), Qt::AlignHCenter | Qt::AlignVCenter,
               Say(speech, words::kNoDiagnosis));
}

// The foot of every page of a report of many nights.
void PaintFoot(QPainter& p, double height, int page, int pages, const QString& range, const Speech& speech)
{
    const ReportFonts fonts(13);
    p.setFont(fonts.normal);
    p.setPen(QColor(90, 90, 90));
    p.drawLine(QPointF(0, height - 26), QPointF(kWidth, height - 26));
    p.drawText(QRectF(0, height - 22, kWidth, 22), Qt::AlignLeft | Qt::AlignVCenter, range);
    p.drawText(QRectF(0, height - 22, kWidth, 22), Qt::AlignRight | Qt::AlignVCenter,
               Say(speech, words::kPageOf, {std::to_string(page), std::to_string(pages)}));
    p.setPen(Qt::black);
}

bool Short(const NightRow& r)
{
    return !CountedInMeans(r);
}

QString Number(const Speech& speech, const std::optional<double>& v, int decimals)
{
    return v ? QString::fromStdString(speech.Number(*v, decimals)) : QStringLiteral("–");
}

// Rows [from, to) of the nights' table, and the means under the last of them.
constexpr double kRowHeight = 22;
double PaintNightsTable(QPainter& p, double top, const std::vector<NightRow>& rows, std::size_t from, std::size_t to,
                        bool withMeans, const Speech& speech)
{
    const ReportFonts fonts(15);
    const std::array<double, 11> bounds = {0, 0.16, 0.27, 0.38, 0.48, 0.56, 0.65, 0.74, 0.82, 0.90, 1.0};
    QStringList header;
    for (int c = 0; c < words::kNightsColumns; ++c)
        header << Say(speech, words::kNightsHeader + c);
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
              {Text(speech.Date(r.date)) + (Short(r) ? QStringLiteral(" *") : QString()) +
                   (r.dateFromFileTime ? QStringLiteral(" †") : QString()),
               hours(r.recordingHours), hours(r.analysedHours), Number(speech, r.spo2Mean, 1) + QStringLiteral(" %"),
               r.spo2Min ? QStringLiteral("%1 %").arg(*r.spo2Min) : QStringLiteral("–"),
               Number(speech, r.t90Minutes, 1), Number(speech, r.t88Minutes, 1), Number(speech, r.odi3, 1),
               Number(speech, r.odi4, 1), Number(speech, r.pulseMean, 0)},
              Short(r));
    }
    if (!withMeans)
        return y;
    const NightsMeans means = MeansOf(rows);
    p.setPen(QColor(160, 160, 160));
    p.drawLine(QPointF(0, y + 2), QPointF(kWidth, y + 2));
    p.setFont(fonts.bold);
    const auto duration = [&](const std::optional<double>& h) { return h ? hours(*h) : QStringLiteral("–"); };
    cells(y + 4,
          {Say(speech, words::kMeanOf, {std::to_string(means.counted)}), duration(means.recordingHours),
           duration(means.analysedHours), Number(speech, means.spo2Mean, 1) + QStringLiteral(" %"),
           Number(speech, means.spo2Min, 1) + QStringLiteral(" %"), Number(speech, means.t90Minutes, 1),
           Number(speech, means.t88Minutes, 1), Number(speech, means.odi3, 1), Number(speech, means.odi4, 1),
           Number(speech, means.pulseMean, 0)},
          false);
    p.setFont(fonts.normal);
    return y + 4 + kRowHeight;
}

// The title and the person named, at the top of the first page.
void PaintNightsHead(QPainter& p, const QString& title, const NightsReport& report, const ReportFonts& fonts,
                     const QFont& big)
{
    const Speech& speech = report.speech;
    p.setFont(big);
    p.drawText(QRectF(0, 0, kWidth, 40), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(fonts.normal);
    QStringList person;
    // As given, but without characters that turn or break the line they stand in.
    const auto plain = [](QString text) {
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.removeIf(
            [](QChar c) { return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format; });
        return text.toStdString();
    };
    if (!report.person.isEmpty())
        person << Say(speech, words::kPersonName, {plain(report.person)});
    if (!report.born.isEmpty())
        person << Say(speech, words::kPersonBorn, {plain(report.born)});
    p.drawText(QRectF(0, 44, kWidth, 22), Qt::AlignLeft | Qt::AlignVCenter, person.join(QStringLiteral(" · ")));
}

// Under the table's last row: the nights the means leave out, and what a † says.
void PaintTableNotes(QPainter& p, double below, const std::vector<NightRow>& rows, const Speech& speech,
                     const ReportFonts& fonts)
{
    p.setFont(fonts.normal);
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRectF(0, below + 6, kWidth, 22), Qt::AlignLeft | Qt::AlignVCenter,
               Say(speech, words::kShortNights, {speech.Number(kShortestCountedHours, 0)}));
    if (std::any_of(rows.begin(), rows.end(), [](const NightRow& r) { return r.dateFromFileTime; }))
        p.drawText(QRectF(0, below + 28, kWidth, 22), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("† ") + Say(speech, words::kDateFromFileTime, {}));
    p.setPen(Qt::black);
}

// Where the first page's lower part goes: the trend's top and height, the rules' height, and
// the page's height above the foot.
struct LowerPart {
    double trendTop, trendHeight, rulesHeight, height;
};

// The trend over the nights, how its figures are counted, and that no diagnosis is made.
void PaintTrendAndRules(QPainter& p, const LowerPart& at, const NightsReport& report, const ReportFonts& fonts,
                        const QFont& heading)
{
    const Speech& speech = report.speech;
    p.setFont(heading);
    p.drawText(QPointF(0, at.trendTop), Say(speech, words::kTrendHeading));
    p.save();
    p.translate(0, at.trendTop + 8);
    p.scale(kWidth / kTrendWidth, (at.trendHeight - 20) / kTrendHeight);
    PaintTrend(p, report.rows, QString(), speech);
    p.restore();
    p.setFont(fonts.normal);
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRectF(0, at.trendTop + at.trendHeight + 10, kWidth, at.rulesHeight - 70),
               Qt::TextWordWrap | Qt::AlignLeft,
               Say(speech, words::kHowCounted) + Text(RulesText(speech)) + QLatin1Char('.'));
    p.setPen(Qt::black);
    p.setFont(fonts.bold);
    p.drawText(QRectF(0, at.height - 40, kWidth, 30), Qt::AlignHCenter | Qt::AlignVCenter,
               Say(speech, words::kNoDiagnosis));
}

}  // namespace

WriteFailure WriteNightsPdf(QIODevice& out, const NightsReport& report)
{
    const Speech& speech = report.speech;
    const QString title =
        Say(speech, words::kNightsTitle, {std::to_string(report.rows.size()), report.range.toStdString()});
    PdfPages pdf(out, title);
    if (!pdf.Begin())
        return Problem{Problem::Code::PdfNotStarted, {}};
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

    PaintNightsHead(p, title, report, fonts, big);
    p.setFont(heading);
    p.drawText(QPointF(0, 110), Say(speech, words::kTheNights));
    std::size_t shown = std::min(n, firstRows);
    double y = PaintNightsTable(p, tableTop, report.rows, 0, shown, shown == n, speech);
    const auto finishTable = [&](double below) { PaintTableNotes(p, below, report.rows, speech, fonts); };
    if (shown == n)
        finishTable(y);
    // Right under a short table, else where the table's room ends.
    const double trendTop = std::min(height - trendHeight - rulesHeight + 20, y + 80);
    PaintTrendAndRules(p, {trendTop, trendHeight, rulesHeight, height}, report, fonts, heading);
    PaintFoot(p, pdf.Height(), page, pages, report.range, speech);

    while (shown < n) {
        if (!pdf.NextPage())
            return Problem{Problem::Code::PdfNotWritten, {}};
        const std::size_t to = std::min(n, shown + moreRows);
        p.setFont(heading);
        p.drawText(QPointF(0, 30), Say(speech, words::kTheNightsContinued));
        y = PaintNightsTable(p, 50, report.rows, shown, to, to == n, speech);
        shown = to;
        if (shown == n)
            finishTable(y);
        PaintFoot(p, pdf.Height(), ++page, pages, report.range, speech);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!pdf.NextPage())
            return Problem{Problem::Code::PdfNotWritten, {}};
        if (const std::optional<NightsReport::Page> night = report.night ? report.night(i) : std::nullopt)
            PaintNightPage(p, height, night->night, night->figures, night->title, night->subtitle, speech);
        else {
            p.setFont(big);
            p.drawText(QRectF(0, 0, kWidth, 40), Qt::AlignLeft | Qt::AlignVCenter,
                       Say(speech, words::kNightUnreadable, {speech.Date(report.rows[i].date)}));
        }
        PaintFoot(p, pdf.Height(), ++page, pages, report.range, speech);
    }
    if (!pdf.End())
        return Problem{Problem::Code::PdfNotFinished, {}};
    return {};
}

WriteFailure WritePdf(QIODevice& out, const Night& night, const Figures& f, const QString& title,
                      const QString& subtitle, const Speech& speech)
{
    PdfPages pdf(out, title);
    if (!pdf.Begin())
        return Problem{Problem::Code::PdfNotStarted, {}};
    PaintNightPage(pdf.Painter(), pdf.Height(), night, f, title, subtitle, speech);
    if (!pdf.End())
        return Problem{Problem::Code::PdfNotFinished, {}};
    return {};
}

}  // namespace trelvo::report
