#include "app/level_bar.h"

#include "app/frame_clock.h"

#include <QPainter>

#include <algorithm>

namespace trelvo::app {

LevelBar::LevelBar(int maximum, FrameClock& frames, QWidget* parent)
    : QWidget(parent), m_maximum(maximum), m_frames(frames)
{
}

void LevelBar::setValue(int value)
{
    value = std::clamp(value, 0, m_maximum);
    if (value == m_value)
        return;
    m_value = value;
    m_frames.Request(this, rect());
}

void LevelBar::paintEvent(QPaintEvent*)
{
    // Plain on purpose: the style's rounded, shaded bar costs more to draw than everything else
    // the window does, and this one changes up to thirty times a second all night.
    QPainter painter(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const int filled = m_maximum > 0 ? inner.height() * m_value / m_maximum : 0;
    painter.fillRect(inner.adjusted(0, 0, 0, -filled), palette().color(QPalette::Base));
    painter.fillRect(QRect(inner.left(), inner.bottom() + 1 - filled, inner.width(), filled),
                     palette().color(QPalette::Highlight));
}

}  // namespace trelvo::app
