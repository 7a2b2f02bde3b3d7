#pragma once

#include <QWidget>

namespace trelvo::app {

// Tells a screen reader what changed while the person's focus is elsewhere. Qt has no event a
// reader on the desktop's accessibility bus speaks by itself, but such readers speak an alert or
// a notification as it is shown: this object takes the text, is shown afresh with it, and sends
// Qt's name-changed and alert events besides for readers that listen to those. It draws nothing.
class Announcement final : public QWidget {
    Q_OBJECT

public:
    // An alert for warnings (probe off, no data), a notification for news: two objects, so that
    // a reader asking after the event finds the role it was sent with.
    Announcement(QWidget* parent, bool alert);

    void Say(const QString& text);

    [[nodiscard]] const QString& Text() const noexcept { return m_text; }
    [[nodiscard]] bool IsAlert() const noexcept { return m_alert; }

private:
    QString m_text;
    const bool m_alert;
};

}  // namespace trelvo::app
