#include "app/widgets/trend_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace trelvo::app {

TrendView::TrendView(std::int16_t languageBase, QWidget* parent) : QWidget(parent), m_speech(languageBase)
{
    setMinimumSize(320, 160);
    setFocusPolicy(Qt::StrongFocus);
}

void TrendView::SetLanguage(std::int16_t base)
{
    m_speech = report::Speech(base);
    update();
}

void TrendView::SetNights(std::vector<report::NightRow> rows, report::TrendChoice choice)
{
    m_rows = std::move(rows);
    m_choice = std::move(choice);
    update();
}

int TrendView::PictureWidth() const
{
    const double high = report::TrendHeight(m_choice.measures.size());
    return std::max(report::kTrendWidth, static_cast<int>(high * width() / std::max(1, height())));
}

double TrendView::Scale() const
{
    return std::min(width() / double(PictureWidth()), height() / double(report::TrendHeight(m_choice.measures.size())));
}

std::optional<std::size_t> TrendView::NightAt(QPointF point) const
{
    const double scale = Scale();
    return report::TrendNightAt((point.x() - (width() - PictureWidth() * scale) / 2) / scale, m_rows.size(),
                                PictureWidth());
}

void TrendView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const report::Ink ink = report::Ink::ForScreen(palette().color(QPalette::Base), palette().color(QPalette::Text));
    p.fillRect(rect(), ink.paper);
    const double scale = Scale();
    p.translate((width() - PictureWidth() * scale) / 2, 0);
    p.scale(scale, scale);
    report::PaintTrend(p, m_rows, QString(), m_speech, ink, m_choice, PictureWidth());
}

void TrendView::mousePressEvent(QMouseEvent* event)
{
    if (const auto night = NightAt(event->position()); night && event->button() == Qt::LeftButton)
        emit NightOpened(*night);
}

void TrendView::keyPressEvent(QKeyEvent* event)
{
    if (m_rows.empty())
        return QWidget::keyPressEvent(event);
    const std::size_t last = m_rows.size() - 1;
    const std::size_t at = std::min(m_choice.chosen.value_or(last), last);
    switch (event->key()) {
    case Qt::Key_Left: m_choice.chosen = at > 0 ? at - 1 : 0; break;
    case Qt::Key_Right: m_choice.chosen = std::min(at + 1, last); break;
    case Qt::Key_Home: m_choice.chosen = 0; break;
    case Qt::Key_End: m_choice.chosen = last; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit NightOpened(at); return;
    default: return QWidget::keyPressEvent(event);
    }
    update();
}

}  // namespace trelvo::app
