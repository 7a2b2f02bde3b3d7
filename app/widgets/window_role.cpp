#include "app/widgets/window_role.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace trelvo::app {
namespace {

QAccessibleInterface* PlainWindow(const QString& key, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    // Asked first for the object's own class: a window whose class derives straight from QWidget.
    if (!widget || !widget->isWindow() || key != QLatin1String(widget->metaObject()->className()) ||
        widget->metaObject()->superClass() != &QWidget::staticMetaObject)
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

}  // namespace

void InstallWindowRole()
{
    static const bool installed = [] {
        QAccessible::installFactory(PlainWindow);
        return true;
    }();
    (void)installed;
}

}  // namespace trelvo::app
