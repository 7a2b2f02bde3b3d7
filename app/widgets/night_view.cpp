#include "app/widgets/night_view.h"

#include "lang/language_switch.h"
#include "lang/string_table.h"

#include "report/render/plot.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace trelvo::app {
namespace {

constexpr int kScrollHeight = 16;
constexpr int kScrollSteps = 1000;  // the scroll bar's range, whatever the night's length
constexpr double kOverviewHeight = 28;

}  // namespace

NightView::NightView(std::int16_t languageBase, QWidget* parent)
    : QWidget(parent),
      m_scroll(new QScrollBar(Qt::Horizontal, this)),
      m_speech(languageBase)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(240, 240);
    m_scroll->setRange(0, 0);
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_night)
            return;
        const auto& f = m_night->figures;
        const double span = m_to - m_from;
        const double room = std::max(0.0, f.end - f.start - span);
        const double from = f.start + room * value / std::max(1, m_scroll->maximum());
        if (std::abs(from - m_from) > 1e-9) {
            m_from = from;
            m_to = from + span;
            update();
        }
    });
    SetLanguage(languageBase);
}

void NightView::SetLanguage(std::int16_t base)
{
    m_speech = report::Speech(base);
    m_scroll->setAccessibleName(lang::TextOf(base, lang::text::kNameChartScroll));
    update();
}

void NightView::SetNight(std::shared_ptr<const ShownNight> night)
{
    const bool same =
        m_night && night && m_night->night.date == night->night.date && m_night->figures.start == night->figures.start;
    const bool whole = !m_night || (m_from <= m_night->figures.start && m_to >= m_night->figures.end);
    m_night = std::move(night);
    if (!same) {
        // Another night: nothing of the last one is read out.
        m_mark.reset();
        m_pointer.reset();
        emit PointedAt(QString());
    }
    if (!m_night) {
        update();
        return;
    }
    if (whole) {
        ShowStretch(m_night->figures.start, m_night->figures.end);
    } else if (same) {
        ShowStretch(m_from, m_to);
    } else {
        // The same hours of the clock on the next or previous night: the day that brings the
        // stretch nearest the night's middle.
        const double middle = (m_night->figures.start + m_night->figures.end) / 2;
        const double days = std::round((middle - (m_from + m_to) / 2) / 86400);
        ShowStretch(m_from + days * 86400, m_to + days * 86400);
    }
    update();
}

void NightView::ShowStretch(double from, double to)
{
    if (!m_night)
        return;
    const auto& f = m_night->figures;
    const double whole = std::max(1.0, f.end - f.start);
    double span = std::clamp(to - from, std::min(kShortestSpan, whole), whole);
    from = std::clamp(from, f.start, f.end - span);
    m_from = from;
    m_to = from + span;
    // The keyboard's line stays in view, and its readout follows it.
    if (m_mark) {
        m_mark = std::clamp(*m_mark, m_from, m_to);
        if (hasFocus())
            emit PointedAt(Describe(*m_mark));
    }
    UpdateScrollBar();
    update();
}

void NightView::ShowEvent(double start, double end)
{
    const double middle = (start + end) / 2;
    const double half = std::max(kEventSpan / 2, (end - start) / 2 + 30);
    m_mark = start;
    ShowStretch(middle - half, middle + half);
    MarkAt(start);
}

bool NightView::WaveShown() const noexcept
{
    return m_night && m_night->night.hasWave && m_to - m_from <= kWaveSpan + 1e-9;
}

void NightView::UpdateScrollBar()
{
    const auto& f = m_night->figures;
    const double room = f.end - f.start - (m_to - m_from);
    const QSignalBlocker quiet(m_scroll);
    if (room <= 1e-9) {
        m_scroll->setRange(0, 0);
        return;
    }
    m_scroll->setRange(0, kScrollSteps);
    m_scroll->setPageStep(std::max(1, static_cast<int>(kScrollSteps * (m_to - m_from) / room)));
    m_scroll->setValue(static_cast<int>(std::lround(kScrollSteps * (m_from - f.start) / room)));
}

QRectF NightView::OverviewArea() const
{
    return QRectF(64, 4, width() - 64 - 48, kOverviewHeight);
}

QRectF NightView::PanelArea() const
{
    constexpr double top = 4 + kOverviewHeight + 26;  // room for the SpO2 panel's name
    const QRectF all(64, top, width() - 64 - 48, height() - top - 30 - kScrollHeight);
    if (!WaveShown())
        return all;
    return QRectF(all.topLeft(), QSizeF(all.width(), all.height() * 0.58));
}

QRectF NightView::WaveArea() const
{
    const QRectF panels = PanelArea();
    const double top = panels.bottom() + 44;
    return QRectF(panels.left(), top, panels.width(), height() - kScrollHeight - 30 - top);
}

double NightView::TimeAt(double x) const
{
    const QRectF area = PanelArea();
    return m_from + (x - area.left()) / std::max(1.0, area.width()) * (m_to - m_from);
}

void NightView::resizeEvent(QResizeEvent*)
{
    m_scroll->setGeometry(0, height() - kScrollHeight, width(), kScrollHeight);
}

void NightView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const report::Ink ink = report::Ink::ForScreen(palette().color(QPalette::Base), palette().color(QPalette::Text));
    p.fillRect(rect(), ink.paper);
    if (!m_night)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    const report::ReportFonts fonts(12);
    p.setFont(fonts.normal);
    PaintOverview(p, ink);
    report::PaintPanels(p, PanelArea(), m_night->night, m_night->figures, m_from, m_to, m_speech, ink);
    if (WaveShown())
        report::PaintWaveStrip(p, WaveArea(), m_night->night, m_from, m_to, m_night->beats, ink);
    if (m_dragFrom) {
        const QRectF area = PanelArea();
        p.fillRect(QRectF(QPointF(std::min(*m_dragFrom, m_dragTo), area.top()),
                          QPointF(std::max(*m_dragFrom, m_dragTo), area.bottom())),
                   [&] {
                       QColor shade = m_dragMarks ? ink.text : ink.spo2;
                       shade.setAlpha(50);
                       return shade;
                   }());
    }
    if (m_pointer && *m_pointer >= m_from && *m_pointer <= m_to) {
        const QRectF area = PanelArea();
        const double x = area.left() + (*m_pointer - m_from) / std::max(1e-9, m_to - m_from) * area.width();
        p.setPen(QPen(ink.text, 1, Qt::DotLine));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    if (m_mark && hasFocus()) {
        const QRectF area = PanelArea();
        const double x = area.left() + (*m_mark - m_from) / std::max(1e-9, m_to - m_from) * area.width();
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    // Where the keyboard is: a frame in the desktop's colour for it.
    if (hasFocus()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1 - kScrollHeight));
    }
}

void NightView::MarkAt(double t)
{
    m_mark = std::clamp(t, m_from, m_to);
    emit PointedAt(Describe(*m_mark));
    update();
}

void NightView::focusInEvent(QFocusEvent* event)
{
    if (m_night)
        MarkAt(m_mark.value_or((m_from + m_to) / 2));
    QWidget::focusInEvent(event);
}

void NightView::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

void NightView::Zoom(double factor, double about)
{
    const double span = (m_to - m_from) * factor;
    const double share = (about - m_from) / std::max(1e-9, m_to - m_from);
    ShowStretch(about - share * span, about - share * span + span);
}

void NightView::wheelEvent(QWheelEvent* event)
{
    if (!m_night)
        return;
    const double notches = event->angleDelta().y() / 120.0;
    Zoom(std::pow(0.8, notches), TimeAt(event->position().x()));
    event->accept();
}

void NightView::mousePressEvent(QMouseEvent* event)
{
    if (m_night && event->button() == Qt::LeftButton && OverviewArea().contains(event->position())) {
        m_overviewDrag = true;
        CentreAt(event->position().x());
        return;
    }
    if (m_night && event->button() == Qt::LeftButton) {
        m_dragMarks = (event->modifiers() & Qt::ShiftModifier) != 0;
        m_dragFrom = event->position().x();
        m_dragTo = *m_dragFrom;
    }
}

void NightView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_night)
        return;
    if (m_overviewDrag) {
        CentreAt(event->position().x());
        return;
    }
    if (m_dragFrom) {
        m_dragTo = event->position().x();
        update();
    }
    const double t = TimeAt(event->position().x());
    if (t >= m_from && t <= m_to) {
        m_pointer = t;
        emit PointedAt(Describe(t));
        update();
    }
}

void NightView::CentreAt(double x)
{
    const QRectF strip = OverviewArea();
    const auto& f = m_night->figures;
    const double t = f.start + (x - strip.left()) / std::max(1.0, strip.width()) * (f.end - f.start);
    const double half = (m_to - m_from) / 2;
    ShowStretch(t - half, t + half);
}

// The whole night's SpO2, the lowest of each pixel column, with the stretch shown marked.
void NightView::PaintOverview(QPainter& p, const report::Ink& ink) const
{
    const QRectF strip = OverviewArea();
    const auto& f = m_night->figures;
    const double whole = std::max(1.0, f.end - f.start);
    p.fillRect(strip, ink.stripe);
    const auto x = [&](double t) { return strip.left() + (t - f.start) / whole * strip.width(); };
    const auto y = [&](int spo2) { return strip.bottom() - std::clamp(spo2 - 70, 0, 30) / 30.0 * strip.height(); };
    const int columns = std::max(1, static_cast<int>(strip.width()));
    std::vector<int> lowest(static_cast<std::size_t>(columns), 101);
    for (const report::Entry& r : m_night->night.readings)
        if (r.spo2) {
            const int c = std::clamp(static_cast<int>(x(r.seconds) - strip.left()), 0, columns - 1);
            lowest[static_cast<std::size_t>(c)] = std::min(lowest[static_cast<std::size_t>(c)], *r.spo2);
        }
    QPolygonF line;
    const auto draw = [&] {
        if (line.size() > 1)
            p.drawPolyline(line);
        line.clear();
    };
    p.setPen(QPen(ink.spo2, 1));
    for (int c = 0; c < columns; ++c) {
        const int v = lowest[static_cast<std::size_t>(c)];
        if (v > 100)
            draw();
        else
            line << QPointF(strip.left() + c + 0.5, y(v));
    }
    draw();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink.grid, 1));
    p.drawRect(strip);
    // The stretch shown, unless it is the whole night.
    if (m_to - m_from < whole - 1e-6) {
        QColor shade = ink.spo2;
        shade.setAlpha(60);
        const QRectF shown(QPointF(x(m_from), strip.top()), QPointF(x(m_to), strip.bottom()));
        p.fillRect(shown, shade);
        p.setPen(QPen(ink.text, 1));
        p.drawRect(shown.adjusted(0, 0, std::max(0.0, 2 - shown.width()), 0));
    }
}

void NightView::mouseReleaseEvent(QMouseEvent* event)
{
    m_overviewDrag = false;
    if (!m_dragFrom)
        return;
    const double a = TimeAt(*m_dragFrom), b = TimeAt(event->position().x());
    const bool dragged = std::abs(event->position().x() - *m_dragFrom) >= 6;
    m_dragFrom.reset();
    if (dragged && m_dragMarks)
        emit MarkAsked(std::max(std::min(a, b), m_night->figures.start),
                       std::min(std::max(a, b), m_night->figures.end));
    else if (dragged)
        ShowStretch(std::min(a, b), std::max(a, b));
    update();
}

void NightView::mouseDoubleClickEvent(QMouseEvent*)
{
    if (m_night)
        ShowStretch(m_night->figures.start, m_night->figures.end);
}

void NightView::leaveEvent(QEvent*)
{
    m_pointer.reset();
    update();
    emit PointedAt(QString());
}

void NightView::keyPressEvent(QKeyEvent* event)
{
    if (!m_night)
        return QWidget::keyPressEvent(event);
    const double span = m_to - m_from, middle = (m_from + m_to) / 2;
    if (event->modifiers() & Qt::ShiftModifier) {
        const double step = span / 50;
        switch (event->key()) {
        case Qt::Key_Left: MarkAt(m_mark.value_or(middle) - step); return;
        case Qt::Key_Right: MarkAt(m_mark.value_or(middle) + step); return;
        default: break;
        }
    }
    switch (event->key()) {
    case Qt::Key_Plus: Zoom(0.5, m_mark.value_or(middle)); break;
    case Qt::Key_Minus: Zoom(2, m_mark.value_or(middle)); break;
    case Qt::Key_Left: ShowStretch(m_from - span / 4, m_to - span / 4); break;
    case Qt::Key_Right: ShowStretch(m_from + span / 4, m_to + span / 4); break;
    case Qt::Key_Home: ShowStretch(m_night->figures.start, m_night->figures.end); break;
    default: return QWidget::keyPressEvent(event);
    }
}

QString NightView::Describe(double t) const
{
    namespace text = lang::text;
    const report::Night& night = m_night->night;
    const report::Figures& f = m_night->figures;
    const auto say = [this](int offset, std::initializer_list<std::string_view> values = {}) {
        return QString::fromStdString(m_speech.Text(offset, values));
    };
    QString said = QString::fromStdString(report::MomentText(night, t));
    const auto& rs = night.readings;
    const auto at =
        std::upper_bound(rs.begin(), rs.end(), t, [](double v, const report::Entry& r) { return v < r.seconds; });
    // A moment without a reading says why: what the unit told, or nothing recorded at all.
    const report::Entry* r = at != rs.begin() && t < std::prev(at)->seconds + night.step ? &*std::prev(at) : nullptr;
    if (!r || r->kind == report::Entry::Kind::NoData) {
        said += QStringLiteral(" · ") + say(text::kNoDataHere);
    } else if (r->kind == report::Entry::Kind::ProbeOff) {
        said += QStringLiteral(" · ") + say(text::kProbeOffHere);
    } else if (r->kind == report::Entry::Kind::NoSignal) {
        said += QStringLiteral(" · ") + say(text::kNoFingerHere);
    } else {
        said += QStringLiteral(" · SpO2 %1 % · %2/min")
                    .arg(r->spo2 ? QString::number(*r->spo2) : QStringLiteral("–"),
                         r->pulse ? QString::number(*r->pulse) : QStringLiteral("–"));
    }
    for (const report::Stretch& m : night.marked)
        if (t >= m.from && t < m.to)
            said += QStringLiteral(" · ") + say(text::kNotCountedHere, {m.reason});
    for (const report::Event& e : f.events3)
        if (t >= e.start && t < e.end)
            said += QStringLiteral(" · ") +
                    say(text::kDesaturationHere, {m_speech.Number(e.depth, 1), m_speech.Number(e.end - e.start, 0)});
    for (const report::PulseRise& e : f.pulseRises)
        if (t >= e.start && t < e.end)
            said += QStringLiteral(" · ") + say(text::kPulseRiseHere, {m_speech.Number(e.peak - e.baseline, 0),
                                                                       m_speech.Number(e.end - e.start, 0)});
    return said;
}

}  // namespace trelvo::app
