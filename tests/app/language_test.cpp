#include "app/eingangsfenster.h"
#include "app/form1.h"
#include "app/nights_window.h"
#include "app/program.h"
#include "app/version.h"
#include "lang/string_table.h"
#include "settings/settings_store.h"
#include "support/fakes.h"
#include "support/plain_text.h"
#include "support/settings_fixture.h"
#include "tools/pty/pseudo_terminal.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace trelvo::app {
namespace {

using test::GetSetting;
using test::Plain;
using test::PutSetting;

// One run of the program as main() drives it: the start window, then OK, then the main window.
// COM2 and COM5 lead to pseudo-terminals.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override { test::StoreWithPorts(dir.path(), {{2, com2.SlavePath()}, {5, com5.SlavePath()}}); }
    void TearDown() override { test::ClearStore(); }

    // The start window, loaded; the main window once OK is pressed.
    Eingangsfenster& Start()
    {
        root.reset();  // the run before ends first: its port is closed
        root =
            std::make_unique<Program>(SessionDevices{std::make_unique<test::SilentTone>(),
                                                     std::make_unique<test::ChosenFile>(recordPath), nullptr, nullptr},
                                      [](const QString&) {});
        root->Start();
        return root->StartWindow();
    }
    [[nodiscard]] Form1* Form() const { return root ? root->Main() : nullptr; }
    Form1& Main()
    {
        Start().findChild<QPushButton*>(QStringLiteral("OK_Button"))->click();
        EXPECT_NE(Form(), nullptr);
        return *Form();
    }

    template <class T>
    T* In(QWidget& window, const char* name) const
    {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QString Text(const char* label) const { return In<QLabel>(*Form(), label)->text(); }
    QString StatusBar() const
    {
        return In<QStatusBar>(*Form(), "StsBar1")->findChild<QLabel*>(QStringLiteral("SimpleText"))->text();
    }
    QAction* Action(const char* name) const { return In<QAction>(*Form(), name); }
    void Choose(const char* action) const { Action(action)->trigger(); }

    QTemporaryDir dir;
    tools::PseudoTerminal com2;
    tools::PseudoTerminal com5;
    std::string recordPath = (dir.path() + QStringLiteral("/night.txt")).toStdString();
    std::unique_ptr<Program> root;
};

TEST_F(LanguageTest, AFirstStartIsInEnglishOnPortOne)
{
    Eingangsfenster& s = Start();
    EXPECT_EQ(s.windowTitle(), "Korvant GmbH");
    EXPECT_EQ(In<QLabel>(s, "Label3")->text(), "PCs are not suitable for Patient Monitoring!");
    EXPECT_EQ(Plain(In<QPushButton>(s, "CancelButton")->text()), "End");
    EXPECT_EQ(Plain(In<QPushButton>(s, "OK_Button")->text()), "OK");
    EXPECT_EQ(root->State().PortNumber, 1);

    Main();
    EXPECT_TRUE(Action("setLangEnglish")->isChecked());
    EXPECT_FALSE(Action("setLangGerman")->isChecked());
    EXPECT_EQ(Plain(In<QMenu>(*Form(), "menDatei")->title()), "File");
    EXPECT_EQ(Text("Label6"), "Pulse[1/min]") << "the creation caption's blank is gone";
    EXPECT_EQ(StatusBar(), "Data is NOT written to file!");
    EXPECT_FALSE(root->StartWindow().isVisible()) << "the start window is closed for good";
}

TEST_F(LanguageTest, AStoredGermanStartsInGerman)
{
    PutSetting(QStringLiteral("Optionen/Sprache"), QStringLiteral("0"));
    Eingangsfenster& s = Start();
    EXPECT_EQ(In<QLabel>(s, "Label3")->text(), "PCs sind nicht geeignet zum Patientenmonitoring!");
    EXPECT_EQ(Plain(In<QPushButton>(s, "CancelButton")->text()), "Ende");
}

TEST_F(LanguageTest, EndComesFirstAndNeitherButtonIsTheDefault)
{
    Eingangsfenster& s = Start();
    auto* end = In<QPushButton>(s, "CancelButton");
    auto* ok = In<QPushButton>(s, "OK_Button");
    EXPECT_EQ(end->nextInFocusChain(), ok);
    EXPECT_FALSE(end->isDefault() || end->autoDefault() || ok->isDefault() || ok->autoDefault());
}

TEST_F(LanguageTest, EnterPressesTheFocusedButton)
{
    {
        Eingangsfenster& s = Start();
        QSignalSpy ended(&s, &Eingangsfenster::Ended);
        auto* end = In<QPushButton>(s, "CancelButton");
        end->setFocus();
        QTest::keyClick(end, Qt::Key_Return);
        EXPECT_EQ(ended.count(), 1) << "End has the focus at first";
        EXPECT_EQ(Form(), nullptr);
    }
    Eingangsfenster& s = Start();
    QSignalSpy confirmed(&s, &Eingangsfenster::Confirmed);
    auto* ok = In<QPushButton>(s, "OK_Button");
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Enter);
    EXPECT_EQ(confirmed.count(), 1);
    EXPECT_NE(Form(), nullptr);
}

TEST_F(LanguageTest, SwitchingReCaptionsTheTaggedControlsAndTheStatusBarOnly)
{
    Main();
    const auto captions = [this] {
        return QStringList{Plain(In<QMenu>(*Form(), "menPort")->title()),
                           Plain(Action("setCOM1")->text()),
                           Plain(Action("setCOM8")->text()),
                           Plain(Action("setLangGerman")->text()),
                           Plain(Action("setLangEnglish")->text()),
                           Text("Label5"),
                           Text("Label7"),
                           Text("Label3"),
                           Text("Label20")};
    };
    const QStringList untagged = captions();
    EXPECT_EQ(untagged, (QStringList{"Port", "COM1", "COM8", "Deutsch", "English", "SpO2  [%]", "Status",
                                     "KV-200L - CORAL200L - MIRAeco", QStringLiteral(" V") + kVersion}));

    Choose("setLangGerman");
    EXPECT_EQ(root->State().LanguageBase, 0);
    EXPECT_TRUE(Action("setLangGerman")->isChecked());
    EXPECT_FALSE(Action("setLangEnglish")->isChecked());
    EXPECT_EQ(Plain(In<QMenu>(*Form(), "menDatei")->title()), "Datei");
    EXPECT_EQ(Plain(Action("menSpeichern")->text()), "Speichern");
    EXPECT_EQ(Plain(Action("menEnde")->text()), "Ende");
    EXPECT_EQ(Plain(In<QMenu>(*Form(), "menBeep")->title()), "Ton");
    EXPECT_EQ(Plain(Action("setBeep")->text()), "Pulston");
    EXPECT_EQ(Plain(In<QMenu>(*Form(), "menLanguage")->title()), "Sprache");
    EXPECT_EQ(Text("Label6"), "Puls[1/min]");
    EXPECT_EQ(Text("Label9"), "Zeit");
    EXPECT_EQ(StatusBar(), "Daten werden NICHT abgespeichert!");

    EXPECT_TRUE(Action("setCOM1")->toolTip().contains(QStringLiteral("Gerät nicht vorhanden")))
        << "the Port menu's reasons follow the language: " << Action("setCOM1")->toolTip().toStdString();
    EXPECT_EQ(Action("setCOM2")->toolTip(), QString::fromStdString(com2.SlavePath()))
        << "a usable port names its device";

    // Qt's own dialogs (the save dialog, the folder dialog, a message box) speak it too.
    const auto qtSays = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    EXPECT_EQ(qtSays(), "Abbrechen");

    Choose("setLangGerman");  // the language in force again: nothing changes
    EXPECT_TRUE(Action("setLangGerman")->isChecked());
    EXPECT_FALSE(Action("setLangEnglish")->isChecked());

    Choose("setLangEnglish");
    EXPECT_EQ(Text("Label6"), "Pulse[1/min]");
    EXPECT_EQ(qtSays(), "Cancel");
    EXPECT_TRUE(Action("setCOM1")->toolTip().contains(QStringLiteral("no such device")));
    EXPECT_TRUE(Action("setLangEnglish")->isChecked());
    EXPECT_FALSE(Action("setLangGerman")->isChecked());
    EXPECT_EQ(captions(), untagged) << "untagged captions never change";
}

// Alt and a letter reaches every menu, every item of a menu and every button of a window, in
// either language: each letter once among its neighbours.
TEST_F(LanguageTest, EveryMenuItemAndButtonHasAMnemonicOfItsOwn)
{
    Main();
    Choose("setNights");
    const auto unique = [](const QStringList& captions, const std::string& where) {
        QString letters;
        for (const QString& caption : captions) {
            const qsizetype mark = caption.indexOf(QLatin1Char('&'));
            ASSERT_TRUE(mark >= 0 && mark + 1 < caption.size()) << where << ": " << caption.toStdString();
            const QChar letter = caption[mark + 1].toLower();
            EXPECT_FALSE(letters.contains(letter)) << where << ": " << captions.join(" ").toStdString();
            letters += letter;
        }
    };
    for (const char* language : {"setLangGerman", "setLangEnglish"}) {
        SCOPED_TRACE(language);
        Choose(language);
        QStringList menus;
        for (QAction* item : Form()->menuBar()->actions()) {
            menus << item->menu()->title();
            QStringList items;
            for (QAction* action : item->menu()->actions())
                if (!action->isSeparator())
                    items << action->text();
            unique(items, item->menu()->objectName().toStdString());
        }
        unique(menus, "the menu bar");
        QStringList buttons;
        for (QPushButton* button : root->Nights()->findChildren<QPushButton*>())
            buttons << button->text();
        unique(buttons, "the nights window");
    }
    EXPECT_EQ(In<QMenu>(*Form(), "menDatei")->title(), "&File");
    Choose("setLangGerman");
    EXPECT_EQ(In<QMenu>(*Form(), "menDatei")->title(), "&Datei");
}

TEST_F(LanguageTest, WhileRecordingTheStatusBarNamesTheFileInTheNewLanguage)
{
    Main();
    Choose("menSpeichern");
    ASSERT_TRUE(root->State().Recording);
    Choose("setLangGerman");
    EXPECT_EQ(StatusBar(), QStringLiteral("Daten werden gespeichert:") + QString::fromStdString(recordPath));
    Choose("setLangEnglish");
    EXPECT_EQ(StatusBar(), QStringLiteral("Data written to:") + QString::fromStdString(recordPath));
}

TEST_F(LanguageTest, TheStatusFieldFollowsAtTheNextStatusByteNotAtTheSwitch)
{
    Main();
    const std::vector<std::uint8_t> ok{249, 97, 251, 0};
    com2.Write(ok);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text("Label4") == "OK!"; }, 2000));
    QLabel* status = In<QLabel>(*Form(), "Label4");
    EXPECT_EQ(status->toolTip(), "Data from the unit is received and displayed.");

    Choose("setLangGerman");
    EXPECT_EQ(status->toolTip(), "Data from the unit is received and displayed.") << "untouched by the switch";
    const std::vector<std::uint8_t> noProbe{251, 1};
    com2.Write(noProbe);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text("Label4") == "Kein Sensor!"; }, 2000));
    EXPECT_EQ(status->toolTip(), "Daten vom Gerät werden emfangen, aber kein Sensor am Gerät.");
}

TEST_F(LanguageTest, LanguageAndPortCarryOverToTheNextRun)
{
    Main();
    EXPECT_EQ(root->State().PortNumber, 2);
    Choose("setLangGerman");
    Choose("setCOM5");
    EXPECT_EQ(root->State().PortNumber, 5);
    Choose("menEnde");
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Sprache")), "0");
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Port")), "5");
    root.reset();  // the first run's port is closed

    Eingangsfenster& next = Start();
    EXPECT_EQ(Plain(In<QPushButton>(next, "CancelButton")->text()), "Ende");
    Main();
    EXPECT_TRUE(Action("setLangGerman")->isChecked());
    EXPECT_TRUE(Action("setCOM5")->isChecked()) << "COM5 is tried first, although COM2 works too";
    EXPECT_TRUE(Form()->session().Line().IsOpen());
}

TEST_F(LanguageTest, EndOrClosingOnTheStartWindowEndsWithoutWritingAnything)
{
    PutSetting(QStringLiteral("Optionen/Sprache"), QStringLiteral("0"));
    PutSetting(QStringLiteral("Optionen/Port"), QStringLiteral("7"));
    for (const bool byButton : {true, false}) {
        Eingangsfenster& s = Start();
        QSignalSpy ended(&s, &Eingangsfenster::Ended);
        QSignalSpy confirmed(&s, &Eingangsfenster::Confirmed);
        if (byButton)
            In<QPushButton>(s, "CancelButton")->click();
        else
            s.close();
        EXPECT_EQ(ended.count(), 1);
        EXPECT_EQ(confirmed.count(), 0);
        EXPECT_EQ(Form(), nullptr) << "no main window, no port";
        EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Sprache")), "0");
        EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Port")), "7");
    }
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

// Whatever a hand or a broken disk left in the store, the program starts, on the defaults.
TEST_F(LanguageTest, GarbageInEverySettingsKeyStartsOnTheDefaults)
{
    const QVariant garbage[] = {
        QString(),
        QStringLiteral("   "),
        QStringLiteral("abc"),
        QStringLiteral("99999"),
        QStringLiteral("-1"),
        QStringLiteral("1e3"),
        QStringLiteral("0x10"),
        QString(100'000, u'7'),
        QString::fromLatin1(QByteArray("\x01\xff\x00\x7f\x80", 5)),
        QStringList{QStringLiteral("0"), QStringLiteral("5")},
    };
    for (const QVariant& value : garbage) {
        for (const char* key : {"Optionen/Sprache", "Optionen/Port"}) {
            SetUp();
            PutSetting(QString::fromLatin1(key), value);
            Eingangsfenster& s = Start();
            EXPECT_EQ(root->State().LanguageBase, 1000) << key;
            EXPECT_EQ(root->State().PortNumber, 1) << key;
            EXPECT_EQ(Plain(In<QPushButton>(s, "CancelButton")->text()), "End");
            Main();
            EXPECT_TRUE(Action("setLangEnglish")->isChecked());
            EXPECT_EQ(root->State().PortNumber, 2) << "COM1 is missing here; the first usable port opened";
        }
    }
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

// A third language is one entry in the table of languages and its texts: the menu offers it, the
// settings keep it, every text and message comes in it. Made up here, in the test only.
TEST_F(LanguageTest, AThirdLanguageIsNothingButData)
{
    constexpr std::int16_t kPirate = 2000;
    // Its texts: the English ones, dressed up. The table points at them, so they stay put.
    std::vector<std::pair<int, std::string>> texts;
    for (const lang::TableEntry& e : lang::AllTexts())
        if (e.id >= lang::kEnglish && e.id < lang::kEnglish + 1000)
            texts.emplace_back(kPirate + (e.id - lang::kEnglish), "Arr! " + std::string(e.utf8));
    lang::Catalog pirate = lang::BuiltInCatalog();
    pirate.languages.push_back({kPirate, "Pirate", "setLangPirate", '.', "dd/MM/yyyy"});
    for (const auto& [id, text] : texts)
        pirate.texts.push_back({id, text});
    const std::string portMessage = "Arr! %1 be no port: %3";
    pirate.messages.push_back({kPirate, lang::Message::PortOpenFailed, portMessage});
    const lang::UseCatalog withPirate(pirate);

    PutSetting(QStringLiteral("Optionen/Sprache"), QStringLiteral("2000"));
    Eingangsfenster& s = Start();
    EXPECT_EQ(root->State().LanguageBase, kPirate) << "the settings accept it";
    EXPECT_EQ(Plain(In<QPushButton>(s, "CancelButton")->text()), "Arr! End");
    Main();
    EXPECT_TRUE(Action("setLangPirate")->isChecked());
    EXPECT_FALSE(Action("setLangEnglish")->isChecked());
    EXPECT_EQ(Plain(In<QMenu>(*Form(), "menDatei")->title()), "Arr! File");
    EXPECT_EQ(StatusBar(), "Arr! Data is NOT written to file!");

    QStringList messages;
    Form()->SetMessageHandler([&](const QString& text) { messages << text; });
    Form()->session().SelectPort(3);  // as a pick of COM3 would, had it not been disabled
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Arr! 3 be no port: "))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral("(is the cable plugged in?)")))
        << "a message the language lacks comes in English";

    Choose("setLangGerman");
    EXPECT_TRUE(Action("setLangGerman")->isChecked());
    EXPECT_FALSE(Action("setLangPirate")->isChecked());
    Choose("setLangPirate");
    EXPECT_EQ(Text("Label6"), "Arr! Pulse[1/min]");
    Choose("menEnde");
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Sprache")), "2000");
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

// --help and --version answer on stdout and end, without a display, in the environment's language.
TEST(CommandLine, HelpAndVersionNeedNoDisplay)
{
    const auto run = [](const QString& arg, const QString& language) {
        QProcess p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("LANG"), language);
        p.setProcessEnvironment(environment);
        p.start(QStringLiteral(TRELVO_APP_PATH), {arg});
        EXPECT_TRUE(p.waitForFinished(10'000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    EXPECT_TRUE(
        run(QStringLiteral("--help"), QStringLiteral("C.UTF-8")).startsWith("Usage: trelvo [--help] [--version]\n"));
    EXPECT_TRUE(run(QStringLiteral("-h"), QStringLiteral("de_DE.UTF-8")).startsWith("Aufruf: trelvo"));
    EXPECT_EQ(run(QStringLiteral("--version"), QStringLiteral("C.UTF-8")), QStringLiteral("trelvo %1\n").arg(kVersion));
}

}  // namespace
}  // namespace trelvo::app
