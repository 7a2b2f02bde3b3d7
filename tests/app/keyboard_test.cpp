// The program with the keys alone: from the start window to a night's PDF and the report for the
// doctor, Tab out of the table of nights, Escape and F1 where a person expects them.

#include "app/form1.h"
#include "app/nights_window.h"
#include "app/program.h"
#include "app/report_dialog.h"
#include "lang/string_table.h"
#include "report/night_text.h"
#include "support/fakes.h"
#include "support/settings_fixture.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace trelvo::app {
namespace {

// Once a modal window of this kind is up, does this to it (with keys).
template <class Window>
void WhenShown(std::function<void(Window&)> keys)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, keys] {
        if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            keys(*window);
        }
    });
    poll->start(20);
}

// A file's name typed into the save dialog (which opens in the nights' folder), then Enter.
void TypeFileName(const QString& name)
{
    WhenShown<QFileDialog>([name](QFileDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        QApplication::setActiveWindow(&dialog);
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
    });
}

void PressMnemonic(QWidget& window, const char* button)
{
    auto* control = window.findChild<QPushButton*>(QString::fromLatin1(button));
    ASSERT_NE(control, nullptr) << button;
    const QKeySequence keys = QKeySequence::mnemonic(control->text());
    ASSERT_FALSE(keys.isEmpty()) << control->text().toStdString();
    QTest::keySequence(&window, keys);
}

void Activate(QWidget& window)
{
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(Keyboard, FromTheStartWindowToANightsPdfAndTheReportForTheDoctor)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    test::StoreWithPorts(d, {});
    test::PutSetting(QStringLiteral("Naechte/Ordner"), d);
    for (const char* name : {"/a.txt", "/b.txt"}) {
        QFile f(d + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(report::RecordText(22 * 3600).Add(240, name[1] == 'a' ? "95" : "91").Text().c_str());
    }
    Program root(SessionDevices{std::make_unique<test::SilentTone>(), nullptr, nullptr, nullptr},
                 [](const QString&) {});
    root.Start();
    Eingangsfenster& start = root.StartWindow();
    Activate(start);
    QTest::keyClick(&start, Qt::Key_Tab);  // from End to OK
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_NE(root.Main(), nullptr) << "OK by the keyboard";

    Form1& main = *root.Main();
    Activate(main);
    QTest::keyClick(&main, Qt::Key_H, Qt::ControlModifier);
    ASSERT_NE(root.Nights(), nullptr) << "Ctrl+H views the nights";
    NightsWindow& nights = *root.Nights();
    nights.SetOpener({});
    QSignalSpy listed(&nights, &NightsWindow::Listed), shown(&nights, &NightsWindow::NightShown);
    ASSERT_TRUE(listed.count() > 0 || listed.wait(10'000));
    ASSERT_TRUE(shown.count() > 0 || shown.wait(10'000));
    Activate(nights);

    nights.Table().setFocus();
    QTest::keyClick(&nights.Table(), Qt::Key_Down);
    EXPECT_EQ(nights.Table().currentIndex().row(), 1) << "the arrows move within the table";
    ASSERT_TRUE(shown.wait(10'000));
    QTest::keyClick(&nights.Table(), Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), &nights.Table()) << "Tab leaves the table";

    // The night's PDF: Alt and the button's letter, the file's name typed, Enter.
    TypeFileName("night.pdf");
    PressMnemonic(nights, "cmdPdf");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(d + "/night.pdf"); }, 10'000));

    // The report for the doctor: Alt and its letter, Enter on the dialog, the file's name, Enter.
    QSignalSpy written(&nights, &NightsWindow::ReportWritten);
    WhenShown<QDialog>([&](QDialog& dialog) {
        TypeFileName("doctor.pdf");
        QApplication::setActiveWindow(&dialog);
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    Activate(nights);
    PressMnemonic(nights, "cmdDoctor");
    ASSERT_TRUE(written.count() > 0 || written.wait(20'000));
    EXPECT_EQ(written[0][1].toString(), QString()) << written[0][1].toString().toStdString();
    EXPECT_TRUE(QFile::exists(d + "/doctor.pdf"));

    // Escape closes the nights window; Ctrl+Q ends.
    Activate(nights);
    QTest::keyClick(&nights, Qt::Key_Escape);
    EXPECT_FALSE(nights.isVisible());
    QSignalSpy ended(&root, &Program::Ended);
    Activate(main);
    QTest::keyClick(&main, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(ended.count() > 0 || ended.wait(5000)) << "Ctrl+Q ends";
    test::ClearStore();
}

// Escape ends on the start window as End does, and cancels the report's dialog from its first field.
TEST(Keyboard, EscapeEndsOnTheStartWindowAndCancelsTheReportsDialog)
{
    ReportDialog dialog(lang::kGerman, QDate(2026, 12, 1), QDate(2026, 12, 7), false, {}, {});
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QWidget* first = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
    QTest::keyClick(first, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    Program root(SessionDevices{std::make_unique<test::SilentTone>(), nullptr, nullptr, nullptr},
                 [](const QString&) {});
    QSignalSpy ended(&root, &Program::Ended);
    root.Start();
    QTest::keyClick(&root.StartWindow(), Qt::Key_Escape);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(root.Main(), nullptr);
    test::ClearStore();
}

}  // namespace
}  // namespace trelvo::app
