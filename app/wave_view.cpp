#include "app/wave_view.h"

#include <QApplication>
#include <QPaintEvent>

namespace trelvo::app {
namespace {

// About one screen frame.
constexpr int kFrameMilliseconds = 16;

}  // namespace

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

WaveView::WaveView(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    m_pen.setCapStyle(Qt::RoundCap);
    m_pen.setJoinStyle(Qt::RoundJoin);
    m_frame.setSingleShot(true);
    m_frame.setInterval(kFrameMilliseconds);
    connect(&m_frame, &QTimer::timeout, this, [this] { update(contentsRect()); });
}

WaveView::~WaveView()
{
    FinishDrawing();
}

void WaveView::SetForeColor(core::Colour colour)
{
    m_pen.setColor(ToQColor(colour));
}

void WaveView::Line(float x1, float y1, float x2, float y2)
{
    if (m_picture.isNull())
        return;
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_picture);
        m_painter->setRenderHint(QPainter::Antialiasing, false);
    }
    m_painter->setPen(m_pen);
    m_painter->drawLine(QPointF(x1, y1), QPointF(x2, y2));
    if (!m_frame.isActive())
        m_frame.start();
}

const QImage& WaveView::Picture()
{
    FinishDrawing();
    return m_picture;
}

void WaveView::FinishDrawing()
{
    m_painter.reset();
}

void WaveView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    FinishDrawing();
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), m_picture);
}

void WaveView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    FinishDrawing();
    const QSize size = contentsRect().size();
    if (size == m_picture.size())
        return;
    QImage picture(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    picture.fill(ToQColor(core::SystemColour::WindowBackground));
    QPainter(&picture).drawImage(0, 0, m_picture);
    m_picture = std::move(picture);
}

}  // namespace trelvo::app
