#pragma once

#include <QFont>
#include <QRect>

namespace trelvo::app {

// Layouts are given in twips; 15 twips make a pixel at 96 dots per inch.
[[nodiscard]] inline QRect Twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

// Arial at a size in points, as pixels at 96 dots per inch, so the fixed layout holds on any
// screen. Where Arial is missing fontconfig gives the metric-compatible Liberation Sans.
[[nodiscard]] inline QFont Arial(double points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    font.setBold(bold);
    return font;
}

}  // namespace trelvo::app
