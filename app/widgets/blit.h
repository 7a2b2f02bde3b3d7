#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include <algorithm>

namespace trelvo::app {

// Copies part of a picture in bands of at most 64 rows: Qt hands a draw of more rows to a pool of
// threads and waits for them, which costs more than the copy and wakes the program again.
inline void Blit(QPainter& painter, QPoint target, const QImage& picture, const QRect& source)
{
    constexpr int kBandRows = 64;
    const QRect part = source & picture.rect();
    for (int top = part.top(); top <= part.bottom(); top += kBandRows) {
        const QRect band(part.left(), top, part.width(), std::min(kBandRows, part.bottom() + 1 - top));
        painter.drawImage(target + (band.topLeft() - source.topLeft()), picture, band);
    }
}

}  // namespace trelvo::app
