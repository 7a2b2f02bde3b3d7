#include "lang/language_switch.h"

#include "lang/string_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include <stdexcept>
#include <string>

namespace trelvo::lang {
namespace {

constexpr char kSimpleTextName[] = "SimpleText";

QString FromUtf8(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void SetTag(QWidget& window, const char* name, int offset)
{
    QObject* control = window.findChild<QObject*>(QString::fromLatin1(name));
    if (!control)
        throw std::logic_error(std::string("the main window has no control named ") + name);
    control->setProperty(kTagProperty, QString::number(offset));
}

void SetCaption(QObject& control, const QString& text)
{
    if (auto* menu = qobject_cast<QMenu*>(&control))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(&control))
        action->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(&control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(&control))
        button->setText(text);
    else
        throw std::logic_error("control " + control.objectName().toStdString() + " carries a Tag but no caption");
}

void ApplyTag(QObject& control, std::int32_t base)
{
    const QString tag = control.property(kTagProperty).toString();
    if (tag.isEmpty())
        return;
    bool ok = false;
    const int offset = tag.toInt(&ok);
    if (!ok)
        throw std::logic_error("control " + control.objectName().toStdString() + " has the Tag \"" +
                               tag.toStdString() + "\", which is no number");
    SetCaption(control, FromUtf8(Text(static_cast<int>(base) + offset)));
}

}  // namespace

void AssignCaptionTags(QWidget& mainWindow)
{
    SetTag(mainWindow, "menDatei", text::kMenuFile);
    SetTag(mainWindow, "menSpeichern", text::kMenuSave);
    SetTag(mainWindow, "menEnde", text::kEnd);
    SetTag(mainWindow, "menBeep", text::kMenuTone);
    SetTag(mainWindow, "setBeep", text::kMenuPulseTone);
    SetTag(mainWindow, "menLanguage", text::kMenuLanguage);
}

QString RecordingStatusText(std::int32_t base, bool recording, const QString& recordFileName)
{
    return QString::fromStdString(RecordingStatus(base, recording, recordFileName.toStdString()));
}

void ApplyLanguage(std::int32_t base, bool recording, const QString& recordFileName)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        ApplyTag(*window, base);
        for (QObject* control : window->findChildren<QObject*>())
            ApplyTag(*control, base);
    }

    for (QWidget* window : windows) {
        if (auto* statusBar = window->findChild<QStatusBar*>(QStringLiteral("StsBar1")))
            SetSimpleText(*statusBar, RecordingStatusText(base, recording, recordFileName));
        auto* german = window->findChild<QAction*>(QStringLiteral("setLangGerman"));
        auto* english = window->findChild<QAction*>(QStringLiteral("setLangEnglish"));
        if (german && english) {
            german->setChecked(false);
            english->setChecked(false);
            (base != 0 ? english : german)->setChecked(true);
        }
    }
}

void SetSimpleText(QStatusBar& statusBar, const QString& text)
{
    auto* label = statusBar.findChild<QLabel*>(QString::fromLatin1(kSimpleTextName));
    if (!label) {
        label = new QLabel(&statusBar);
        label->setObjectName(QString::fromLatin1(kSimpleTextName));
        label->setTextFormat(Qt::PlainText);
        statusBar.addWidget(label, 1);
    }
    label->setText(text);
}

QString SimpleText(const QStatusBar& statusBar)
{
    const auto* label = statusBar.findChild<QLabel*>(QString::fromLatin1(kSimpleTextName));
    return label ? label->text() : QString();
}

}  // namespace trelvo::lang
