#include "app/widgets/value_label.h"

#include "app/widgets/blit.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace trelvo::app {

ValueLabel::Look ValueLabel::Current() const
{
    return {text(), palette().color(QPalette::Window).rgba(), palette().color(QPalette::WindowText).rgba(), size(), {}};
}

void ValueLabel::TakePicture()
{
    m_pictureAsked = false;
    Look look = Current();
    if (std::any_of(m_looks.begin(), m_looks.end(), [&](const Look& kept) { return kept.SameAs(look); }))
        return;
    look.picture = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    look.picture.fill(Qt::transparent);
    m_plain = true;
    render(&look.picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    m_plain = false;
    m_looks.push_front(std::move(look));
    if (m_looks.size() > kLooksKept)
        m_looks.pop_back();
}

void ValueLabel::paintEvent(QPaintEvent* event)
{
    const Look now = Current();
    const auto kept = m_plain
                          ? m_looks.end()
                          : std::find_if(m_looks.begin(), m_looks.end(), [&](const Look& l) { return l.SameAs(now); });
    if (kept == m_looks.end()) {
        QLabel::paintEvent(event);
        // The picture is taken once this paint is over: drawing the widget again inside its own
        // paint would disturb the window's painter.
        if (!m_plain && !m_pictureAsked) {
            m_pictureAsked = true;
            QTimer::singleShot(0, this, &ValueLabel::TakePicture);
        }
        return;
    }
    m_looks.splice(m_looks.begin(), m_looks, kept);
    const QImage& picture = m_looks.front().picture;
    QPainter painter(this);
    for (const QRect& asked : event->region()) {
        const QRect source = asked & picture.rect();
        if (!source.isEmpty())
            Blit(painter, source.topLeft(), picture, source);
    }
}

}  // namespace trelvo::app
