#include "app/widgets/accessible_faces.h"

#include "app/widgets/announcement.h"
#include "app/widgets/level_bar.h"
#include "app/widgets/value_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QWidget>

namespace trelvo::app {
namespace {

// A field that shows a value reads with it: "SpO2 96 percent", "Probe status: OK!". The name is
// made when asked, so it is never stale and sends no event by itself.
class ValueFace final : public QAccessibleWidget {
public:
    explicit ValueFace(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        if (auto* value = qobject_cast<ValueLabel*>(widget()); value && !value->Spoken().isEmpty())
            return value->Spoken();
        const QString name = widget()->accessibleName();
        const QString shown = static_cast<QLabel*>(widget())->text();
        return shown.isEmpty() ? name : name + QStringLiteral(": ") + shown;
    }
};

class AnnouncementFace final : public QAccessibleWidget {
public:
    explicit AnnouncementFace(Announcement* a)
        : QAccessibleWidget(a, a->IsAlert() ? QAccessible::AlertMessage : QAccessible::Notification)
    {
    }

    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<Announcement*>(widget())->Text();
        return QAccessibleWidget::text(t);
    }
};

// The pulse bar is a level from 0 to its maximum: a reader may ask for it, and is not sent a change
// for each of its hundred moves a second.
class LevelFace final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit LevelFace(LevelBar* bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                : QAccessibleWidget::interface_cast(t);
    }
    [[nodiscard]] QVariant currentValue() const override { return Bar().value(); }
    void setCurrentValue(const QVariant&) override {}
    [[nodiscard]] QVariant maximumValue() const override { return Bar().maximum(); }
    [[nodiscard]] QVariant minimumValue() const override { return 0; }
    [[nodiscard]] QVariant minimumStepSize() const override { return 1; }

private:
    [[nodiscard]] const LevelBar& Bar() const { return *static_cast<const LevelBar*>(widget()); }
};

QAccessibleInterface* Face(const QString& key, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    // Asked first for the object's own class.
    if (!widget || key != QLatin1String(widget->metaObject()->className()))
        return nullptr;
    if (auto* label = qobject_cast<QLabel*>(widget);
        label && (qobject_cast<ValueLabel*>(label) || label->property(kReadsWithTextProperty).toBool()))
        return new ValueFace(label);
    if (auto* bar = qobject_cast<LevelBar*>(widget))
        return new LevelFace(bar);
    if (auto* announcement = qobject_cast<Announcement*>(widget))
        return new AnnouncementFace(announcement);
    if (widget->isWindow() && widget->metaObject()->superClass() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

}  // namespace

void InstallAccessibleFaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(Face);
        return true;
    }();
    (void)installed;
}

}  // namespace trelvo::app
