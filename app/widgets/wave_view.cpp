#include "app/widgets/wave_view.h"

#include "app/widgets/blit.h"
#include "app/widgets/legible.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace trelvo::app {

// The value fields and the trace sit on the colour of a window's content (Qt's Base: white in
// most themes), not on the grey of dialogs (Qt's Window). A colour of their own and the highlight
// are legible against it on a dark or high-contrast palette.
QColor ToQColor(const core::Colour& colour)
{
    const QColor base = QApplication::palette().color(QPalette::Base);
    if (const auto* rgb = std::get_if<core::Rgb>(&colour))
        return Legible(QColor(rgb->red, rgb->green, rgb->blue), base);
    switch (std::get<core::SystemColour>(colour)) {
    case core::SystemColour::WindowBackground: return base;
    case core::SystemColour::Highlight: return Legible(QApplication::palette().color(QPalette::Highlight), base);
    }
    return {};
}

WaveView::WaveView(QWidget* parent) : QFrame(parent)
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
                for (int column = std::max(x + from, covered.left()); column <= std::min(x + to, covered.right());
                     ++column)
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
    Changed(covered);
}

void WaveView::Changed(const QRect& pictureRect)
{
    // A sweep that starts again at the left would make one box of the whole width: keep the
    // part drawn before apart.
    if (!m_changed.isNull() && pictureRect.right() < m_changed.left()) {
        m_changedEarlier |= m_changed;
        m_changed = pictureRect;
        return;
    }
    m_changed |= pictureRect;
}

void WaveView::ShowChanges()
{
    const QPoint offset = contentsRect().topLeft();
    if (!m_changedEarlier.isNull())
        update(m_changedEarlier.translated(offset));
    if (!m_changed.isNull())
        update(m_changed.translated(offset));
    m_changed = {};
    m_changedEarlier = {};
}

// A point of a two-pixel pen: the square from (x - 1, y - 1) to (x, y), clipped to the picture.
void WaveView::Stamp(int x, int y, QRgb colour)
{
    const int w = m_picture.width();
    const int h = m_picture.height();
    auto* const bits = reinterpret_cast<QRgb*>(m_picture.bits());
    const qsizetype stride = m_picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    for (int row = std::max(y - 1, 0); row <= std::min(y, h - 1); ++row)
        for (int column = std::max(x - 1, 0); column <= std::min(x, w - 1); ++column)
            bits[row * stride + column] = colour;
}

void WaveView::DrawSteps(std::span<const core::TraceStep> steps)
{
    if (m_picture.isNull() || steps.empty())
        return;
    const QRgb background = ToQColor(core::SystemColour::WindowBackground).rgb();
    const QRgb highlight = ToQColor(core::SystemColour::Highlight).rgb();
    const int w = m_picture.width();
    const int h = m_picture.height();
    auto* const bits = reinterpret_cast<QRgb*>(m_picture.bits());
    const qsizetype stride = m_picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    int changedLeft = w;
    int changedRight = -1;
    const auto flushChanged = [&] {
        if (changedLeft <= changedRight)
            Changed(QRect(QPoint(changedLeft, 0), QPoint(changedRight, h - 1)));
        changedLeft = w;
        changedRight = -1;
    };
    for (const core::TraceStep& step : steps) {
        // The sweep started again at the left: what was drawn at the right is shown apart.
        if (step.x < changedLeft && changedRight >= 0 && step.x + 1 < changedLeft)
            flushChanged();
        // The two wipe lines at x and x + 1, two pixels wide, from the top to the bottom.
        const int left = std::max(step.x - 1, 0);
        const int right = std::min(step.x + 1, w - 1);
        if (left <= right) {
            const int n = right - left + 1;
            QRgb* column = bits + left;
            for (int row = 0; row < h; ++row, column += stride)
                for (int i = 0; i < n; ++i)
                    column[i] = background;
            changedLeft = std::min(changedLeft, left);
            changedRight = std::max(changedRight, right);
        }
        if (step.x < 1)
            continue;
        // The segment from (x - 2, fromY) to (x, y), the pen stamped at each point.
        int x = step.x - 2;
        int y = step.fromY;
        const int dx = 2;
        const int dy = -std::abs(step.y - y);
        const int sy = y < step.y ? 1 : -1;
        int error = dx + dy;
        while (true) {
            Stamp(x, y, highlight);
            if (x == step.x && y == step.y)
                break;
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                ++x;
            }
            if (twice <= dx) {
                error += dx;
                y += sy;
            }
        }
        changedLeft = std::max(0, std::min(changedLeft, step.x - 3));
        changedRight = std::min(w - 1, std::max(changedRight, static_cast<int>(step.x)));
    }
    flushChanged();
    m_width = 2;
    m_colour = highlight;
}

void WaveView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    // Only the parts asked for: a frame's few columns.
    QPainter p(this);
    const QPoint offset = contentsRect().topLeft();
    for (const QRect& asked : event->region()) {
        const QRect source = asked.translated(-offset) & m_picture.rect();
        if (!source.isEmpty())
            Blit(p, source.topLeft() + offset, m_picture, source);
    }
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
