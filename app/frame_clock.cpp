#include "app/frame_clock.h"

#include <algorithm>

namespace trelvo::app {

FrameClock::FrameClock(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &FrameClock::Frame);
    m_sinceFrame.start();
}

void FrameClock::Request(QWidget* widget, const QRect& rect)
{
    const auto it = std::find_if(m_pending.begin(), m_pending.end(),
                                 [widget](const Pending& p) { return p.widget == widget; });
    if (it != m_pending.end())
        it->rect |= rect;
    else
        m_pending.push_back({widget, rect});

    const qint64 since = m_sinceFrame.elapsed();
    if (since >= kFrameMilliseconds)
        Frame();
    else if (!m_timer.isActive())
        m_timer.start(static_cast<int>(kFrameMilliseconds - since));
}

void FrameClock::Frame()
{
    m_timer.stop();
    m_sinceFrame.restart();
    for (const Pending& p : std::exchange(m_pending, {}))
        if (p.widget)
            p.widget->update(p.rect);
}

}  // namespace trelvo::app
