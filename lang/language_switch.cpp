#include "lang/language_switch.h"

#include "lang/string_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QTranslator>

#include <stdexcept>
#include <string>

namespace trelvo::lang {
namespace {

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
        throw std::logic_error("control " + control.objectName().toStdString() + " has the Tag \"" + tag.toStdString() +
                               "\", which is no number");
    const std::string_view text = Text(static_cast<int>(base) + offset);
    SetCaption(control, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

// Qt's catalog for the language's name, installed once and swapped on a switch.
QTranslator& QtTranslator()
{
    static QTranslator translator;
    return translator;
}

std::string_view QtNameOf(std::int32_t base)
{
    for (const Language& language : Languages())
        if (language.base == base)
            return language.qtName;
    return "en";
}

void UseQtTranslations(std::int32_t base)
{
    QTranslator& translator = QtTranslator();
    QCoreApplication::removeTranslator(&translator);
    const std::string_view name = QtNameOf(base);
    if (name == "en")
        return;
    if (translator.load(QStringLiteral("qt_") + QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}

}  // namespace

void SetTag(QObject& control, int offset)
{
    control.setProperty(kTagProperty, QString::number(offset));
}

void ApplyLanguage(std::int32_t base)
{
    UseQtTranslations(base);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        ApplyTag(*window, base);
        for (QObject* control : window->findChildren<QObject*>())
            ApplyTag(*control, base);
    }
}

QString TextOf(std::int32_t base, int offset)
{
    const std::string_view text = Text(IsLanguage(base) ? static_cast<std::int16_t>(base) : kEnglish, offset);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace trelvo::lang
