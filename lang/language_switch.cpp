#include "lang/language_switch.h"

#include "lang/string_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
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

void ApplyNameTag(QObject& control, std::int32_t base)
{
    auto* widget = qobject_cast<QWidget*>(&control);
    const QVariant offset = control.property(kNameTagProperty);
    if (!widget || !offset.isValid())
        return;
    const std::string_view text = Text(static_cast<int>(base) + offset.toInt());
    widget->setAccessibleName(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void ApplyTag(QObject& control, std::int32_t base)
{
    ApplyNameTag(control, base);
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

// The text with a mnemonic on the first free character: a word's first letter, else a digit (COM2),
// else any letter; the character taken is added to `taken`.
QString WithMnemonic(QString text, QString& taken)
{
    text.remove(QLatin1Char('&'));
    const auto rank = [&](qsizetype i) {
        return i == 0 || !text[i - 1].isLetterOrNumber() ? 0 : text[i].isDigit() ? 1 : 2;
    };
    qsizetype chosen = -1;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].isLetterOrNumber() && !taken.contains(text[i].toLower()) && (chosen < 0 || rank(i) < rank(chosen)))
            chosen = i;
    if (chosen < 0)
        return text;
    taken += text[chosen].toLower();
    return text.insert(chosen, QLatin1Char('&'));
}

}  // namespace

void AssignMnemonics(QWidget& window)
{
    if (auto* bar = window.findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) {
        QString taken;
        for (QAction* item : bar->actions())
            if (QMenu* menu = item->menu()) {
                menu->setTitle(WithMnemonic(menu->title(), taken));
                QString inMenu;
                for (QAction* action : menu->actions())
                    if (!action->isSeparator())
                        action->setText(WithMnemonic(action->text(), inMenu));
            }
    }
    // Buttons first, then labelled fields, then tabs (which Ctrl+Tab reaches too): where letters
    // run short, a tab goes without.
    QString taken;
    const QList<QObject*> children = window.findChildren<QObject*>();
    for (int pass = 0; pass < 3; ++pass)
        for (QObject* child : children) {
            // The window's own controls, not those of a popup it holds (a calendar's month buttons).
            if (auto* widget = qobject_cast<QWidget*>(child); !widget || widget->window() != &window)
                continue;
            auto* button = qobject_cast<QAbstractButton*>(child);
            auto* label = qobject_cast<QLabel*>(child);
            auto* tabs = qobject_cast<QTabWidget*>(child);
            if (pass == 0 && button && !button->text().isEmpty())
                button->setText(WithMnemonic(button->text(), taken));
            else if (pass == 1 && label && label->buddy())
                label->setText(WithMnemonic(label->text(), taken));
            else if (pass == 2 && tabs)
                for (int i = 0; i < tabs->count(); ++i)
                    tabs->setTabText(i, WithMnemonic(tabs->tabText(i), taken));
        }
}

void SetTag(QObject& control, int offset)
{
    control.setProperty(kTagProperty, QString::number(offset));
}

void SetNameTag(QWidget& control, int offset)
{
    control.setProperty(kNameTagProperty, offset);
}

void ApplyLanguage(std::int32_t base)
{
    UseQtTranslations(base);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        ApplyTag(*window, base);
        for (QObject* control : window->findChildren<QObject*>())
            ApplyTag(*control, base);
    }
    // After every caption: a menu is a window of its own too, and would lose its mark again.
    for (QWidget* window : windows)
        AssignMnemonics(*window);
}

QString TextOf(std::int32_t base, int offset)
{
    const std::string_view text = Text(IsLanguage(base) ? static_cast<std::int16_t>(base) : kEnglish, offset);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace trelvo::lang
