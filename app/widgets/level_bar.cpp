#include "app/widgets/level_bar.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace trelvo::app {

namespace {

// The height of the filled part inside the one-pixel border.
int Filled(const QRect& inner, int value, int maximum)
{
    return maximum > 0 ? inner.height() * value / maximum : 0;
}

}  // namespace

LevelBar::LevelBar(int maximum, QWidget* parent) : QWidget(parent), m_maximum(maximum) {}

void LevelBar::setValue(int value)
{
    value = std::clamp(value, 0, m_maximum);
    if (value == m_value)
        return;
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    const int before = Filled(inner, m_value, m_maximum);
    const int after = Filled(inner, value, m_maximum);
    m_value = value;
    if (before != after) {
        const int bottom = inner.bottom() + 1;
        update(QRect(inner.left(), bottom - std::max(before, after), inner.width(), std::abs(after - before)));
    }
}

void LevelBar::paintEvent(QPaintEvent*)
{
    // Plain on purpose: the style's rounded, shaded bar costs more to draw than everything else
    // the window does, and this one changes up to thirty times a second all night.
    QPainter painter(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const int filled = Filled(inner, m_value, m_maximum);
    painter.fillRect(inner.adjusted(0, 0, 0, -filled), palette().color(QPalette::Base));
    painter.fillRect(QRect(inner.left(), inner.bottom() + 1 - filled, inner.width(), filled),
                     palette().color(QPalette::Highlight));
}

}  // namespace trelvo::app
