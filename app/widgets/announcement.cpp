#include "app/widgets/announcement.h"

#include <QAccessible>

namespace trelvo::app {

Announcement::Announcement(QWidget* parent, bool alert) : QWidget(parent), m_alert(alert)
{
    setObjectName(alert ? QStringLiteral("alert") : QStringLiteral("news"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
    hide();
}

void Announcement::Say(const QString& text)
{
    m_text = text;
    // Shown afresh: the reader is told it appeared, with its role and its name.
    hide();
    show();
    if (QAccessible::isActive()) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
        if (m_alert) {
            QAccessibleEvent warning(this, QAccessible::Alert);
            QAccessible::updateAccessibility(&warning);
        }
    }
}

}  // namespace trelvo::app
