// What a screen reader is told of each window, in either language: every control a person can
// reach or read has a name, every window is a window or a dialog, the live values are named with
// their units.

#include "app/form1.h"
#include "app/nights_window.h"
#include "app/program.h"
#include "app/report_dialog.h"
#include "core/contrast.h"
#include "support/fakes.h"
#include "support/settings_fixture.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace trelvo::app {
namespace {

QString Name(QWidget& control)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&control);
    return face ? face->text(QAccessible::Name) : QString();
}

// The controls of a window a screen reader meets without a name: those that take the focus and
// those that show a value or a picture.
std::string Nameless(QWidget& window)
{
    QStringList nameless;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&window) || control->window() != &window)
            continue;
        const bool reached = control->focusPolicy() != Qt::NoFocus;
        const bool shows = !control->property("NameTag").isNull();
        if ((reached || shows) && Name(*control).trimmed().isEmpty())
            nameless << QStringLiteral("%1 (%2)").arg(control->objectName(),
                                                      QString::fromLatin1(control->metaObject()->className()));
    }
    return nameless.join(QStringLiteral(", ")).toStdString();
}

bool IsWindow(QWidget& window)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&window);
    return face && (face->role() == QAccessible::Window || face->role() == QAccessible::Dialog);
}

TEST(Accessibility, EveryControlIsNamedAndEveryWindowIsAWindowInEitherLanguage)
{
    QTemporaryDir dir;
    test::StoreWithPorts(dir.path(), {});
    test::PutSetting(QStringLiteral("Naechte/Ordner"), dir.path());
    Program root(SessionDevices{std::make_unique<test::SilentTone>(), nullptr, nullptr, nullptr},
                 [](const QString&) {});
    root.Start();
    EXPECT_TRUE(IsWindow(root.StartWindow()));
    EXPECT_EQ(Nameless(root.StartWindow()), "");
    Form1& main = root.OpenMain();
    main.findChild<QAction*>(QStringLiteral("setNights"))->trigger();
    ASSERT_NE(root.Nights(), nullptr);
    QSignalSpy listed(root.Nights(), &NightsWindow::Listed);
    ASSERT_TRUE(listed.wait(10'000));
    const QDate today = QDate::currentDate();
    for (const auto& [language, base] : {std::pair{"setLangGerman", 0}, std::pair{"setLangEnglish", 1000}}) {
        SCOPED_TRACE(language);
        main.findChild<QAction*>(QString::fromLatin1(language))->trigger();
        ReportDialog report(static_cast<std::int16_t>(base), today.addDays(-6), today, false, {}, {}, &main);
        for (QWidget* window : std::initializer_list<QWidget*>{&main, root.Nights(), &report}) {
            EXPECT_TRUE(IsWindow(*window)) << window->objectName().toStdString();
            EXPECT_EQ(Nameless(*window), "") << window->objectName().toStdString();
        }
    }
    // The live values are read with their units, in the language of the moment; the status and
    // the clock with what they show.
    auto& spo2 = *main.findChild<QLabel*>(QStringLiteral("Label2"));
    auto& status = *main.findChild<QLabel*>(QStringLiteral("Label4"));
    EXPECT_EQ(Name(spo2), "SpO2 in percent, no value");
    EXPECT_EQ(Name(*main.findChild<QLabel*>(QStringLiteral("Label1"))), "Pulse in beats per minute, no value");
    spo2.setText(QStringLiteral("96"));
    status.setText(QStringLiteral("OK!"));
    EXPECT_EQ(Name(spo2), "SpO2 96 percent");
    EXPECT_EQ(Name(status), "Probe status: OK!");
    main.findChild<QAction*>(QStringLiteral("setLangGerman"))->trigger();
    EXPECT_EQ(Name(spo2), "SpO2 96 Prozent");
    spo2.setText(QStringLiteral("--"));
    EXPECT_EQ(Name(spo2), "SpO2 in Prozent, kein Wert");
    // The pulse bar is a level a reader can ask for.
    QAccessibleInterface* bar =
        QAccessible::queryAccessibleInterface(main.findChild<QWidget*>(QStringLiteral("Pulse_bar")));
    ASSERT_TRUE(bar && bar->valueInterface());
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    EXPECT_EQ(bar->valueInterface()->maximumValue().toInt(), 248);
    test::ClearStore();
}

double Contrast(const QColor& a, const QColor& b)
{
    const auto rgb = [](const QColor& c) {
        return core::Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                         static_cast<std::uint8_t>(c.blue())};
    };
    return core::ContrastRatio(rgb(a), rgb(b));
}

// On a dark palette the main window's own colours read against their backgrounds, and so do they
// after the palette changes while the window is open; the chart of a night is dark, not white.
TEST(Accessibility, ADarkPaletteGivesLegibleColoursAndADarkChart)
{
    QTemporaryDir dir;
    test::StoreWithPorts(dir.path(), {});
    test::PutSetting(QStringLiteral("Naechte/Ordner"), dir.path());
    const QPalette light = QApplication::palette();
    Program root(SessionDevices{std::make_unique<test::SilentTone>(), nullptr, nullptr, nullptr},
                 [](const QString&) {});
    root.Start();
    Form1& main = root.OpenMain();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(0x22, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x3d, 0x3d, 0x3d));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(0x12, 0x60, 0x8a));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();  // the change reaches the windows as an event
    for (const char* field : {"Label1", "Label2"}) {
        const QPalette shown = main.findChild<QLabel*>(QString::fromLatin1(field))->palette();
        EXPECT_GE(Contrast(shown.color(QPalette::WindowText), shown.color(QPalette::Window)), 3.0) << field;
        EXPECT_EQ(shown.color(QPalette::Window), QColor(0x3d, 0x3d, 0x3d)) << field;
    }
    const QPalette version = main.findChild<QLabel*>(QStringLiteral("Label20"))->palette();
    EXPECT_GE(Contrast(version.color(QPalette::WindowText), version.color(QPalette::Window)), 4.5);

    main.findChild<QAction*>(QStringLiteral("setNights"))->trigger();
    ASSERT_NE(root.Nights(), nullptr);
    QWidget* chart = root.Nights()->findChild<QWidget*>(QStringLiteral("picNight"));
    ASSERT_NE(chart, nullptr);
    const QImage picture = chart->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(picture.width() / 2, picture.height() / 3)), QColor(0x3d, 0x3d, 0x3d));
    QApplication::setPalette(light);
    QCoreApplication::processEvents();
    test::ClearStore();
}

}  // namespace
}  // namespace trelvo::app
