#include "report/render/plot.h"

#include "report/words/figure_lines.h"
#include "report/words/summary_text.h"

#include "lang/string_table.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>

namespace trelvo::report {
namespace {

namespace words = lang::text::report;

QString Say(const Speech& speech, int offset, std::initializer_list<std::string_view> values = {})
{
    return QString::fromStdString(speech.Text(offset, values));
}

// A line through many points. A night, or a second of a fast wave, has far more points than the
// picture has pixel columns: each column keeps its lowest, highest and last point, which draws
// the same line as all of them, so the cost follows the picture's width. Qt's antialiasing
// rasterizer also slows down with the square of the segments on one scan line: the line is
// stroked in pieces.
class ThinLine {
public:
    explicit ThinLine(QPainter& painter) : m_painter(painter) {}
    // The next point starts a new stretch.
    void Break()
    {
        FlushColumn();
        m_drawing = false;
    }
    void Add(const QPointF& at)
    {
        const int x = static_cast<int>(std::floor(at.x()));
        if (!m_drawing) {
            m_path.moveTo(at);
            m_drawing = true;
            m_column = {x, at, at, at};
            return;
        }
        if (x != m_column.x) {
            FlushColumn();
            if (m_path.elementCount() > kSegmentsAtOnce) {
                const QPointF from = m_path.currentPosition();
                m_painter.drawPath(m_path);
                m_path.clear();
                m_path.moveTo(from);
            }
            m_path.lineTo(at);
            m_column = {x, at, at, at};
            return;
        }
        // Screen y grows downwards: the lowest value has the largest y.
        if (at.y() > m_column.low.y())
            m_column.low = at;
        if (at.y() < m_column.high.y())
            m_column.high = at;
        m_column.last = at;
    }
    void Finish()
    {
        FlushColumn();
        m_painter.drawPath(m_path);
        m_path.clear();
        m_drawing = false;
    }

private:
    static constexpr int kSegmentsAtOnce = 128;
    void FlushColumn()
    {
        if (!m_drawing)
            return;
        const bool lowFirst = m_column.low.x() <= m_column.high.x();
        for (const QPointF& at :
             {lowFirst ? m_column.low : m_column.high, lowFirst ? m_column.high : m_column.low, m_column.last})
            if (at != m_path.currentPosition())
                m_path.lineTo(at);
    }

    QPainter& m_painter;
    QPainterPath m_path;
    bool m_drawing = false;
    struct Column {
        int x = -1;
        QPointF low, high, last;
    } m_column;
};

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

// The readings of a panel's time, and one either side to join the line to.
std::span<const Entry> InView(const Panel& panel, const Night& night)
{
    const auto& all = night.readings;
    const double step = night.step;
    auto from = std::lower_bound(all.begin(), all.end(), panel.start - step,
                                 [](const Entry& r, double t) { return r.seconds < t; });
    auto to =
        std::lower_bound(from, all.end(), panel.end + step, [](const Entry& r, double t) { return r.seconds < t; });
    from = from == all.begin() ? from : std::prev(from);
    to = to == all.end() ? to : std::next(to);
    return {from, to};
}

// Time without a valid reading: empty, marked grey, one rectangle a run. Gaps far narrower than a
// pixel column are left out: a PDF viewer would draw each as a line.
void PaintGaps(QPainter& p, const Panel& panel, std::span<const Entry> rs, double step, bool spo2, const Ink& ink)
{
    const auto grey = [&](double from, double to) {
        if (panel.X(to) - panel.X(from) >= 0.25)
            p.fillRect(QRectF(QPointF(panel.X(from), panel.area.top()), QPointF(panel.X(to), panel.area.bottom())),
                       ink.gap);
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
}

// The frame, the value axis with its grid, and the panel's name above it.
void PaintValueAxis(QPainter& p, const Panel& panel, const QString& name, bool spo2, const Ink& ink)
{
    const QFont normal = p.font();
    p.setPen(ink.text);
    p.drawRect(panel.area);
    const double tick = spo2 ? 5 : 20;
    for (double v = std::ceil(panel.low / tick) * tick; v <= panel.high; v += tick) {
        p.setPen(ink.grid);
        p.drawLine(QPointF(panel.area.left() + 1, panel.Y(v)), QPointF(panel.area.right() - 1, panel.Y(v)));
        p.setPen(ink.text);
        p.drawText(QRectF(panel.area.left() - 46, panel.Y(v) - 9, 40, 18), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'f', 0));
    }
    QFont bold = normal;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QPointF(panel.area.left(), panel.area.top() - 8), name);
    p.setFont(normal);
}

void DrawPanel(QPainter& p, const Panel& panel, const Night& night, const QString& name, bool spo2, const Figures& f,
               const Ink& ink)
{
    const double step = night.step;
    const std::span<const Entry> rs = InView(panel, night);
    p.save();
    p.setClipRect(panel.area);
    PaintGaps(p, panel, rs, step, spo2, ink);
    // Stretches the person marked as not to be counted: hatched, their readings still drawn.
    for (const Stretch& s : night.marked) {
        const QRectF marked(QPointF(panel.X(s.from), panel.area.top()), QPointF(panel.X(s.to), panel.area.bottom()));
        QColor shade = ink.text;
        shade.setAlpha(28);
        p.fillRect(marked, shade);
        shade.setAlpha(90);
        p.fillRect(marked, QBrush(shade, Qt::BDiagPattern));
    }
    if (spo2) {
        for (const Event& e : f.events3)
            p.fillRect(
                QRectF(QPointF(panel.X(e.start), panel.area.top()), QPointF(panel.X(e.end), panel.area.bottom())),
                ink.event);
        p.setPen(QPen(ink.warning, 1, Qt::DashLine));
        p.drawLine(QPointF(panel.area.left(), panel.Y(90)), QPointF(panel.area.right(), panel.Y(90)));
    } else {
        for (const PulseRise& r : f.pulseRises)
            p.fillRect(
                QRectF(QPointF(panel.X(r.start), panel.area.top()), QPointF(panel.X(r.end), panel.area.bottom())),
                ink.rise);
    }
    p.restore();
    if (spo2) {
        p.setPen(ink.warning);
        p.drawText(QPointF(panel.area.right() + 6, panel.Y(90) + 4), QStringLiteral("90 %"));
    }
    PaintValueAxis(p, panel, name, spo2, ink);

    // The readings, broken where there are none.
    p.save();
    p.setClipRect(panel.area);
    p.setPen(QPen(spo2 ? ink.spo2 : ink.pulse, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    ThinLine line(p);
    double last = -1e9;
    for (const Entry& r : rs) {
        const std::optional<int> v = spo2 ? r.spo2 : r.pulse;
        if (!v || r.seconds - last > 1.5 * step)
            line.Break();
        if (!v)
            continue;
        line.Add(QPointF(panel.X(r.seconds), panel.Y(*v)));
        last = r.seconds;
    }
    line.Finish();
    p.restore();
}

}  // namespace

Ticks RoundTicks(double top)
{
    top = std::max(top, 1e-9);
    // The smallest step of 1, 2 or 5 times a power of ten that reaches the top in 5 ticks or fewer.
    const double power = std::pow(10, std::floor(std::log10(top / 5)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        const double step = factor * power;
        const int count = static_cast<int>(std::ceil(top / step - 1e-9));
        if (count <= 5)
            return {step, std::max(1, count)};
    }
    return {10 * power, 1};
}

double TickSeconds(double span)
{
    if (span <= 2 * 60)
        return 10;
    if (span <= 15 * 60)
        return 60;
    if (span <= 75 * 60)
        return 600;
    if (span <= 3 * 3600)
        return 900;
    if (span <= 6 * 3600)
        return 1800;
    return 3600;
}

double TickSeconds(double span, double width)
{
    double tick = TickSeconds(span);
    for (const double longer : {60.0, 600.0, 900.0, 1800.0, 3600.0, 7200.0, 10800.0, 21600.0})
        if (width * tick / std::max(span, 1e-9) < kTickLabelRoom && longer > tick)
            tick = longer;
    return tick;
}

void PaintPanels(QPainter& p, const QRectF& area, const Night& night, const Figures& f, const Speech& speech)
{
    PaintPanels(p, area, night, f, f.start, f.end, speech, Ink::ForPaper());
}

void PaintPanels(QPainter& p, const QRectF& area, const Night& night, const Figures& f, double from, double to,
                 const Speech& speech, const Ink& ink)
{
    constexpr double kBetween = 50;  // room for the pulse panel's name
    const double spo2Height = (area.height() - kBetween) * 300 / 510;
    int pulseLow = 40, pulseHigh = 140;
    if (f.hasPulse) {
        pulseLow = std::min(pulseLow, (f.pulseMin / 20) * 20);
        pulseHigh = std::max(pulseHigh, (f.pulseMax / 20 + 1) * 20);
    }
    const Panel spo2{QRectF(area.topLeft(), QSizeF(area.width(), spo2Height)),
                     f.validSeconds > 0 ? std::min(70.0, f.spo2Min - 2.0) : 70.0, 100.0, from, to};
    const Panel pulse{QRectF(QPointF(area.left(), area.top() + spo2Height + kBetween), area.bottomRight()),
                      static_cast<double>(pulseLow), static_cast<double>(pulseHigh), from, to};
    DrawPanel(p, spo2, night, QStringLiteral("SpO2 [%]"), true, f, ink);
    DrawPanel(p, pulse, night, Say(speech, words::kPulsePanel), false, f, ink);

    // Ticks on the clock: every hour, or every 10, 15 or 30 minutes for a shorter recording.
    const double tick = TickSeconds(to - from, area.width());
    p.setPen(ink.text);
    for (double t = std::ceil(from / tick) * tick; t <= to; t += tick) {
        for (const Panel* panel : {&spo2, &pulse})
            p.drawLine(QPointF(panel->X(t), panel->area.bottom()), QPointF(panel->X(t), panel->area.bottom() + 6));
        const QString clock = QString::fromStdString(ClockAt(night, t));
        p.drawText(QRectF(pulse.X(t) - 35, pulse.area.bottom() + 8, 70, 18), Qt::AlignHCenter,
                   tick < 60 ? clock : clock.left(5));
    }
}

void PaintBands(QPainter& p, const QRectF& area, const Figures& f, const Speech& speech)
{
    const std::vector<FigureLine> lines = BandLines(f, speech);
    const double rowHeight = area.height() / static_cast<double>(lines.size());
    const double labels = 90, numbers = 150;
    const QRectF bars(area.left() + labels, area.top(), area.width() - labels - numbers, area.height());
    const Ink ink = Ink::ForPaper();
    for (std::size_t b = 0; b < lines.size(); ++b) {
        const double share = f.validSeconds > 0 ? f.bandSeconds[b] / f.validSeconds : 0;
        const double top = area.top() + static_cast<double>(b) * rowHeight;
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left(), top, labels - 8, rowHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(lines[b].name));
        p.fillRect(QRectF(bars.left(), top + rowHeight * 0.2, std::max(1.0, share * bars.width()), rowHeight * 0.6),
                   ink.Band(static_cast<int>(b)));
        p.drawText(QRectF(bars.right() + 8, top, numbers, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(lines[b].value));
    }
    p.setPen(ink.rule);
    p.drawLine(bars.topLeft(), bars.bottomLeft());
}

void PaintHourTable(QPainter& p, const QRectF& area, const Night& night, const Figures& f, const Speech& speech)
{
    const std::vector<std::vector<std::string>> table = HourRows(night, f, speech);
    const double rows = static_cast<double>(table.size());
    const double rowHeight = std::min(22.0, area.height() / rows);
    // Column c spans bounds[c] to bounds[c + 1]: the hour left-aligned, the numbers right-aligned.
    // An hour told apart by its offset ("02:00 (+01:00)") needs a wider first column.
    const bool told = std::any_of(table.begin() + 1, table.end(), [](const auto& row) { return row[0].size() > 5; });
    const std::array<double, 7> bounds = told ? std::array<double, 7>{0, 0.26, 0.42, 0.56, 0.70, 0.85, 1.0}
                                              : std::array<double, 7>{0, 0.14, 0.36, 0.52, 0.68, 0.84, 1.0};
    const auto cell = [&](std::size_t row, std::size_t column) {
        const double x = area.left() + bounds[column] * area.width();
        const double width = (bounds[column + 1] - bounds[column]) * area.width();
        p.drawText(QRectF(x + 4, area.top() + static_cast<double>(row) * rowHeight, width - 8, rowHeight),
                   (column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                   QString::fromStdString(table[row][column]));
    };
    QFont bold = p.font();
    bold.setBold(true);
    const QFont normal = p.font();
    p.setFont(bold);
    p.setPen(Qt::black);
    for (std::size_t c = 0; c < 6; ++c)
        cell(0, c);
    p.setFont(normal);
    for (std::size_t row = 1; row < table.size(); ++row) {
        if (row % 2 == 1)
            p.fillRect(QRectF(area.left(), area.top() + static_cast<double>(row) * rowHeight, area.width(), rowHeight),
                       Ink::ForPaper().stripe);
        for (std::size_t c = 0; c < 6; ++c)
            cell(row, c);
    }
}

ReportFonts::ReportFonts(int pixels) : normal(QStringLiteral("Arial"))
{
    normal.setPixelSize(pixels);
    bold = normal;
    bold.setBold(true);
    small = normal;
    small.setPixelSize(pixels * 6 / 7);
}

namespace {

// A picture on its paper with its title centred at the top; the normal font is set after it.
ReportFonts BeginPicture(QPainter& p, int width, int height, const QString& title, const Ink& ink)
{
    p.fillRect(QRect(0, 0, width, height), ink.paper);
    p.setRenderHint(QPainter::Antialiasing);
    const ReportFonts fonts(14);
    QFont big = fonts.bold;
    big.setPixelSize(20);
    p.setFont(big);
    p.setPen(ink.text);
    p.drawText(QRectF(0, 12, width, 28), Qt::AlignHCenter, title);
    p.setFont(fonts.normal);
    return fonts;
}

}  // namespace

void PaintReport(QPainter& p, const Night& night, const Figures& f, const QString& title, const Speech& speech)
{
    BeginPicture(p, kPlotWidth, kPlotHeight, title, Ink::ForPaper());
    p.drawText(QRectF(0, 42, kPlotWidth, 20), Qt::AlignHCenter,
               Say(speech, words::kPictureLine,
                   {ClockAt(night, f.start), ClockAt(night, f.end),
                    f.validSeconds > 0 ? speech.Number(f.spo2Mean, 1) : std::string("–"),
                    speech.Decimals(RateText(f.events3.size(), f.validSeconds, 0)),
                    speech.Decimals(RateText(f.events4.size(), f.validSeconds, 0))}));
    PaintPanels(p, QRectF(QPointF(70, 100), QPointF(kPlotWidth - 60, 660)), night, f, speech);
    p.drawText(QRectF(0, kPlotHeight - 34, kPlotWidth, 20), Qt::AlignHCenter, Say(speech, words::kNoDiagnosis));
}

std::optional<double> TrendValue(const NightRow& r, TrendMeasure measure)
{
    switch (measure) {
    case TrendMeasure::Odi3: return r.odi3;
    case TrendMeasure::Odi4: return r.odi4;
    case TrendMeasure::T90: return r.t90Minutes;
    case TrendMeasure::T88: return r.t88Minutes;
    case TrendMeasure::Spo2Mean: return r.spo2Mean;
    case TrendMeasure::Spo2Min: return r.spo2Min ? std::optional<double>(*r.spo2Min) : std::nullopt;
    case TrendMeasure::Pulse: return r.pulseMean;
    }
    return std::nullopt;
}

namespace {

constexpr double kTrendLeft = 70, kTrendTop = 80;
constexpr double kSeriesHeight = 190, kSeriesGap = 50;

QRectF SeriesArea(std::size_t i, int width)
{
    const double top = kTrendTop + static_cast<double>(i) * (kSeriesHeight + kSeriesGap);
    return {QPointF(kTrendLeft, top), QPointF(width - 40, top + kSeriesHeight)};
}

}  // namespace

int TrendHeight(std::size_t measures)
{
    return static_cast<int>(
        kTrendTop + static_cast<double>(std::max<std::size_t>(measures, 1)) * (kSeriesHeight + kSeriesGap) + 40);
}

std::optional<std::size_t> TrendNightAt(double x, std::size_t nights, int width)
{
    const double right = width - 40;
    if (nights == 0 || x < kTrendLeft || x >= right)
        return std::nullopt;
    const double slot = (right - kTrendLeft) / static_cast<double>(nights);
    return std::min(nights - 1, static_cast<std::size_t>((x - kTrendLeft) / slot));
}

void PaintTrend(QPainter& p, const std::vector<NightRow>& nights, const QString& title, const Speech& speech,
                const Ink& ink, const TrendChoice& choice, int width)
{
    const int height = TrendHeight(choice.measures.size());
    const ReportFonts fonts = BeginPicture(p, width, height, title, ink);
    const QFont& font = fonts.normal;
    const double slot = nights.empty() ? 1 : (width - 40 - kTrendLeft) / static_cast<double>(nights.size());
    const auto name = [&](TrendMeasure m) {
        // ODI3 and T90 as the report always named them.
        if (m == TrendMeasure::Odi3)
            return Say(speech, words::kTrendOdi3);
        if (m == TrendMeasure::T90)
            return Say(speech, words::kTrendT90);
        return QString::fromStdString(speech.Text(lang::text::kMeasureNames + static_cast<int>(m)));
    };
    const auto colour = [&](TrendMeasure m) {
        switch (m) {
        case TrendMeasure::T90:
        case TrendMeasure::T88: return ink.t90;
        case TrendMeasure::Pulse: return ink.pulse;
        default: return ink.spo2;
        }
    };
    for (std::size_t i = 0; i < choice.measures.size(); ++i) {
        const TrendMeasure m = choice.measures[i];
        const QRectF area = SeriesArea(i, width);
        if (choice.chosen && *choice.chosen < nights.size()) {
            QColor mark = ink.text;
            mark.setAlpha(40);
            p.fillRect(
                QRectF(area.left() + slot * static_cast<double>(*choice.chosen), area.top(), slot, area.height()),
                mark);
        }
        // Rates and minutes from 0; SpO2 and pulse from a round value under the lowest.
        double low = 0, high = 1;
        bool level = m == TrendMeasure::Spo2Mean || m == TrendMeasure::Spo2Min || m == TrendMeasure::Pulse;
        std::optional<double> lowest;
        for (const NightRow& r : nights)
            if (const auto v = TrendValue(r, m)) {
                high = std::max(high, *v);
                lowest = lowest ? std::min(*lowest, *v) : *v;
            }
        if (level && lowest)
            low = std::max(0.0, std::floor((*lowest - 2) / 10) * 10);
        // A little room above the highest bar for its value.
        const Ticks ticks = RoundTicks(std::max(1.0, (high - low) * 1.08));
        const double scale = ticks.step * ticks.count;
        p.setPen(ink.text);
        p.setFont(fonts.bold);
        p.drawText(QPointF(area.left(), area.top() - 8), name(m));
        p.setFont(font);
        for (int t = 0; t <= ticks.count; ++t) {
            const double y = area.bottom() - area.height() * t / ticks.count;
            p.setPen(ink.grid);
            p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            p.setPen(ink.text);
            p.drawText(
                QRectF(area.left() - 66, y - 9, 60, 18), Qt::AlignRight | Qt::AlignVCenter,
                QString::fromStdString(speech.Decimals(QString::number(low + ticks.step * t, 'g', 4).toStdString())));
        }
        for (std::size_t n = 0; n < nights.size(); ++n) {
            const auto value = TrendValue(nights[n], m);
            if (!value)
                continue;
            const double barHeight = area.height() * std::clamp((*value - low) / scale, 0.0, 1.0);
            const double x = area.left() + slot * static_cast<double>(n);
            p.fillRect(QRectF(x + slot * 0.2, area.bottom() - barHeight, slot * 0.6, barHeight), colour(m));
            if (slot >= 34)
                p.drawText(QRectF(x, area.bottom() - barHeight - 18, slot, 16), Qt::AlignHCenter,
                           QString::fromStdString(speech.Number(*value, level && m != TrendMeasure::Spo2Mean ? 0 : 1)));
        }
        p.setPen(ink.text);
        p.drawRect(area);
    }
    // Dates under the lowest panel; with many nights, every few.
    const QRectF last = SeriesArea(std::max<std::size_t>(choice.measures.size(), 1) - 1, width);
    const std::size_t every = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(80 / slot)));
    for (std::size_t n = 0; n < nights.size(); n += every)
        p.drawText(QRectF(last.left() + slot * static_cast<double>(n) + slot / 2 - 50, last.bottom() + 6, 100, 18),
                   Qt::AlignHCenter, QString::fromStdString(speech.Date(nights[n].date)));
    p.drawText(QRectF(0, height - 30, width, 20), Qt::AlignHCenter, Say(speech, words::kTrendFoot));
}

}  // namespace trelvo::report

namespace trelvo::report {

namespace {

// The wave between two times in an area, with its scale on the left, grey where the night has
// none, and the beats found in it as triangles.
void DrawWave(QPainter& p, const QRectF& wave, const Night& night, double from, double to,
              const std::vector<Beat>& beats, const Ink& ink)
{
    const auto x = [&](double t) { return wave.left() + (t - from) / (to - from) * wave.width(); };
    const auto y = [&](double v) { return wave.bottom() - v / 247.0 * wave.height(); };

    // Seconds without wave are grey.
    const auto& rs = night.readings;
    const auto first =
        std::lower_bound(rs.begin(), rs.end(), from - 1, [](const Entry& r, double t) { return r.seconds < t; });
    double covered = from;
    for (auto r = first; r != rs.end() && r->seconds < to; ++r) {
        if (r->seconds >= from && r->waveCount == 0)
            p.fillRect(QRectF(QPointF(x(r->seconds), wave.top()), QPointF(x(r->seconds + 1), wave.bottom())), ink.gap);
        if (r->seconds > covered + 1e-6 && r->seconds >= from)
            p.fillRect(QRectF(QPointF(x(covered), wave.top()), QPointF(x(r->seconds), wave.bottom())), ink.gap);
        covered = std::max(covered, r->seconds + 1);
    }
    if (covered < to)
        p.fillRect(QRectF(QPointF(x(covered), wave.top()), QPointF(x(to), wave.bottom())), ink.gap);

    for (int v = 0; v <= 240; v += 40) {
        p.setPen(ink.grid);
        p.drawLine(QPointF(wave.left() + 1, y(v)), QPointF(wave.right() - 1, y(v)));
        p.setPen(ink.text);
        p.drawText(QRectF(wave.left() - 56, y(v) - 9, 50, 18), Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }

    // The samples, sample i of n at i/n of its second, joined within a stretch of wave.
    p.setPen(QPen(ink.spo2, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    ThinLine line(p);
    double last = -1e9;
    for (auto r = first; r != rs.end() && r->seconds < to; ++r) {
        const auto samples = night.WaveOf(*r);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const double t = r->seconds + static_cast<double>(i) / static_cast<double>(samples.size());
            if (t < from || t >= to)
                continue;
            if (t - last > 0.2)
                line.Break();
            line.Add(QPointF(x(t), y(samples[i])));
            last = t;
        }
    }
    line.Finish();
    p.setPen(Qt::NoPen);
    p.setBrush(ink.warning);
    for (const Beat& beat : beats)
        if (beat.time >= from && beat.time < to) {
            const double bx = x(beat.time);
            p.drawPolygon(QPolygonF(
                {QPointF(bx - 5, wave.top() + 2), QPointF(bx + 5, wave.top() + 2), QPointF(bx, wave.top() + 10)}));
        }
    p.setBrush(Qt::NoBrush);
    p.setPen(ink.text);
    p.drawRect(wave);
}

}  // namespace

void PaintWaveStrip(QPainter& p, const QRectF& area, const Night& night, double from, double to,
                    const std::vector<Beat>& beats, const Ink& ink)
{
    DrawWave(p, area, night, from, to, beats, ink);
}

void PaintWave(QPainter& p, const Night& night, double centre, const std::vector<Beat>& beats, const QString& title,
               const Speech& speech)
{
    const ReportFonts fonts = BeginPicture(p, kWaveWidth, kWaveHeight, title, Ink::ForPaper());
    const QFont &font = fonts.normal, &bold = fonts.bold, &small = fonts.small;

    const double from = centre - kWaveSpan / 2, to = centre + kWaveSpan / 2;
    const QRectF wave(QPointF(115, 80), QPointF(kWaveWidth - 40, 400));
    const auto x = [&](double t) { return wave.left() + (t - from) / (to - from) * wave.width(); };
    const auto& rs = night.readings;
    const auto first =
        std::lower_bound(rs.begin(), rs.end(), from - 1, [](const Entry& r, double t) { return r.seconds < t; });
    DrawWave(p, wave, night, from, to, beats, Ink::ForPaper());
    // The time asked for is a line.
    p.setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
    p.drawLine(QPointF(x(centre), wave.top()), QPointF(x(centre), wave.bottom()));
    p.setPen(Qt::black);
    p.setFont(bold);
    p.drawText(QPointF(wave.left(), wave.top() - 8), Say(speech, words::kWaveHeading));
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawRect(wave);

    // Each second's SpO2, pulse and beat rate under the wave.
    const double rowTop = wave.bottom() + 34, rowHeight = 22;
    const QStringList names = {QStringLiteral("SpO2 %"), Say(speech, words::kFigureNames + 9),
                               Say(speech, words::kBeatsPerMinute)};
    p.setFont(bold);
    for (qsizetype n = 0; n < names.size(); ++n)
        p.drawText(QRectF(0, rowTop + static_cast<double>(n) * rowHeight, wave.left() - 8, rowHeight),
                   Qt::AlignRight | Qt::AlignVCenter, names[n]);
    p.setFont(small);
    for (auto r = first; r != rs.end() && r->seconds < to; ++r) {
        if (r->seconds < from)
            continue;
        const QRectF cell(x(r->seconds), rowTop, x(r->seconds + 1) - x(r->seconds), rowHeight);
        const auto text = [](const std::optional<int>& v) { return v ? QString::number(*v) : QStringLiteral("–"); };
        p.setPen(r->spo2 && *r->spo2 < 90 ? QColor(200, 0, 0) : QColor(Qt::black));
        p.drawText(cell, Qt::AlignCenter, text(r->spo2));
        p.setPen(Qt::black);
        p.drawText(cell.translated(0, rowHeight), Qt::AlignCenter, text(r->pulse));
        std::optional<int> rate;
        for (auto beat = std::lower_bound(beats.begin(), beats.end(), r->seconds,
                                          [](const Beat&b, double t) { return b.time < t; });
             beat != beats.end() && beat->time < r->seconds + 1; ++beat)
            if (beat->rate)
                rate = static_cast<int>(std::lround(*beat->rate));
        p.drawText(cell.translated(0, 2 * rowHeight), Qt::AlignCenter, text(rate));
    }
    // Ticks every 5 s, on the clock.
    p.setFont(font);
    p.setPen(Qt::black);
    for (double t = std::ceil(from / 5) * 5; t <= to; t += 5) {
        p.drawLine(QPointF(x(t), wave.bottom()), QPointF(x(t), wave.bottom() + 6));
        p.drawText(QRectF(x(t) - 40, wave.bottom() + 8, 80, 18), Qt::AlignHCenter,
                   QString::fromStdString(ClockAt(night, t)));
    }
    p.drawText(QRectF(0, kWaveHeight - 30, kWaveWidth, 20), Qt::AlignHCenter, Say(speech, words::kWaveFoot));
}

}  // namespace trelvo::report
