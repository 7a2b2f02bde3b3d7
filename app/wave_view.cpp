#include "app/wave_view.h"

#include "app/frame_clock.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace trelvo::app {

// The value fields and the trace sit on the colour of a window's content (Qt's Base: white in
// most themes), not on the grey of dialogs (Qt's Window).
QColor ToQColor(const core::Colour& colour)
{
    if (const auto* rgb = std::get_if<core::Rgb>(&colour))
        return {rgb->red, rgb->green, rgb->blue};
    switch (std::get<core::SystemColour>(colour)) {
    case core::SystemColour::WindowBackground:
        return QApplication::palette().color(QPalette::Base);
    case core::SystemColour::Highlight:
        return QApplication::palette().color(QPalette::Highlight);
    }
    return {};
}

WaveView::WaveView(FrameClock& frames, QWidget* parent) : QFrame(parent), m_frames(frames)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
}

WaveView::~WaveView() = default;

void WaveView::SetForeColor(core::Colour colour)
{
    m_colour = ToQColor(colour).rgb();
}

// Straight into the picture's pixels: the trace draws three short lines per sample, hundreds of
// times a second all night, and a painter costs many times more than the pixels themselves. Each
// point of the line stamps a square of the pen's width, as a pen of that width would.
void WaveView::Line(float x1, float y1, float x2, float y2)
{
    if (m_picture.isNull())
        return;
    const int from = -(m_width / 2);  // the square's offset from the point: 2 pixels → -1..0
    const int to = from + m_width - 1;
    int x = qRound(x1);
    int y = qRound(y1);
    const int xEnd = qRound(x2);
    const int yEnd = qRound(y2);
    const QRect covered = QRect(QPoint(std::min(x, xEnd) + from, std::min(y, yEnd) + from),
                                QPoint(std::max(x, xEnd) + to, std::max(y, yEnd) + to)) &
                          m_picture.rect();
    if (covered.isEmpty())
        return;

    auto* const bits = reinterpret_cast<QRgb*>(m_picture.bits());
    const qsizetype stride = m_picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    if (x == xEnd || y == yEnd) {
        // Upright or level (the wipe): exactly the rectangle the pen covers.
        for (int row = covered.top(); row <= covered.bottom(); ++row)
            std::fill_n(bits + row * stride + covered.left(), covered.width(), m_colour);
    } else {
        const int dx = std::abs(xEnd - x);
        const int dy = -std::abs(yEnd - y);
        const int sx = x < xEnd ? 1 : -1;
        const int sy = y < yEnd ? 1 : -1;
        int error = dx + dy;
        while (true) {
            for (int row = std::max(y + from, covered.top()); row <= std::min(y + to, covered.bottom()); ++row)
                for (int column = std::max(x + from, covered.left()); column <= std::min(x + to, covered.right()); ++column)
                    bits[row * stride + column] = m_colour;
            if (x == xEnd && y == yEnd)
                break;
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                x += sx;
            }
            if (twice <= dx) {
                error += dx;
                y += sy;
            }
        }
    }
    // Only what changed goes to the screen.
    m_frames.Request(this, covered.translated(contentsRect().topLeft()));
}

void WaveView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), m_picture);
}

void WaveView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const QSize size = contentsRect().size();
    if (size == m_picture.size())
        return;
    QImage picture(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    picture.fill(ToQColor(core::SystemColour::WindowBackground));
    QPainter(&picture).drawImage(0, 0, m_picture);
    m_picture = std::move(picture);
}

}  // namespace trelvo::app
