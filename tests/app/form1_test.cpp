#include "app/form1.h"
#include "app/nights_window.h"
#include "app/platform/recording_adapters.h"
#include "app/program.h"
#include "app/widgets/level_bar.h"
#include "settings/settings_store.h"
#include "support/fakes.h"
#include "support/plain_text.h"
#include "support/settings_fixture.h"
#include "tools/pty/pseudo_terminal.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace trelvo::app {
namespace {

using test::GetSetting;
using test::Plain;
using test::PutSetting;

// A main window whose COM2 leads to a pseudo-terminal and whose other ports lead nowhere.
class Form1Test : public ::testing::Test {
protected:
    void SetUp() override { test::StoreWithPorts(dir.path(), {{2, com2.SlavePath()}}); }
    void TearDown() override { test::ClearStore(); }

    Form1& Load(std::int16_t languageBase = 1000, std::uint8_t port = 2)
    {
        program.LanguageBase = languageBase;
        program.PortNumber = port;
        auto tone = std::make_unique<test::SilentTone>();
        tones = tone.get();
        return Open(SessionDevices{std::move(tone), nullptr, nullptr, nullptr});
    }
    // The program on this state from its OK on, as main() makes it, its messages kept.
    Form1& Open(SessionDevices devices)
    {
        root = std::make_unique<Program>(std::move(devices), [this](const QString& text) { messages << text; });
        root->State() = program;
        form = &root->OpenMain();
        return *form;
    }

    template <class T>
    T* Find(const char* name) const
    {
        T* control = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
    QString StatusBarText() const
    {
        return Find<QStatusBar>("StsBar1")->findChild<QLabel*>(QStringLiteral("SimpleText"))->text();
    }

    QTemporaryDir dir;
    tools::PseudoTerminal com2;
    core::ProgramState program;  // as the start window leaves it
    std::unique_ptr<Program> root;
    Form1* form = nullptr;
    QStringList messages;
    test::SilentTone* tones = nullptr;  // the tones the window sounded, instead of the sound card
};

TEST_F(Form1Test, StartUpLeavesTheWindowReadyAndQuiet)
{
    Load();
    EXPECT_FALSE(Find<QAction>("setBeep")->isChecked()) << "the pulse tone is off at every start";
    EXPECT_EQ(Find<LevelBar>("Pulse_bar")->value(), 0);
    EXPECT_EQ(StatusBarText(), "Data is NOT written to file!");
    EXPECT_TRUE(Find<QAction>("setLangEnglish")->isChecked());
    EXPECT_FALSE(Find<QAction>("setLangGerman")->isChecked());
    EXPECT_TRUE(Find<QAction>("setCOM2")->isChecked());
    EXPECT_TRUE(form->session().Line().IsOpen());
    EXPECT_TRUE(messages.isEmpty()) << "start-up shows no message";

    EXPECT_TRUE(Text("LabTime").isEmpty()) << "the clock is empty until its first tick";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Text("LabTime").isEmpty(); }, 1000));
    EXPECT_TRUE(Text("LabTime").contains(u':'));
}

TEST_F(Form1Test, StartUpInGermanCaptionsTheTaggedControls)
{
    Load(0);
    EXPECT_EQ(StatusBarText(), "Daten werden NICHT abgespeichert!");
    EXPECT_TRUE(Find<QAction>("setLangGerman")->isChecked());
    EXPECT_FALSE(Find<QAction>("setLangEnglish")->isChecked());
    EXPECT_EQ(Plain(Find<QMenu>("menDatei")->title()), "Datei");
    EXPECT_EQ(Plain(Find<QAction>("menSpeichern")->text()), "Speichern");
    EXPECT_EQ(Plain(Find<QAction>("setBeep")->text()), "Pulston");
    EXPECT_EQ(Text("Label6"), "Puls[1/min]");
    EXPECT_EQ(Text("Label9"), "Zeit");
    EXPECT_EQ(Text("Label5"), "SpO2  [%]") << "untagged captions never change";
    EXPECT_EQ(Plain(Find<QMenu>("menPort")->title()), "Port");
}

TEST_F(Form1Test, BytesFromTheUnitReachTheValueFields)
{
    Load();
    const std::vector<std::uint8_t> bytes{249, 97, 250, 72, 10, 20, 30, 40, 50, 251, 0};
    com2.Write(bytes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text("Label4") == "OK!"; }, 2000));
    EXPECT_EQ(Text("Label2"), "97");
    EXPECT_EQ(Text("Label1"), "72");
    EXPECT_EQ(Find<QLabel>("Label4")->toolTip(), "Data from the unit is received and displayed.");
    EXPECT_EQ(Find<LevelBar>("Pulse_bar")->value(), 50);
}

TEST_F(Form1Test, PulseToneMenuSwitchesTheToneOnAndOff)
{
    Load();
    QAction* pulseTone = Find<QAction>("setBeep");
    const std::vector<std::uint8_t> pulse{249, 97, 250, 72};
    com2.Write(pulse);
    QTest::qWait(100);
    EXPECT_TRUE(tones->frequencies.empty()) << "off at start";

    pulseTone->trigger();
    EXPECT_TRUE(pulseTone->isChecked());
    com2.Write(pulse);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tones->frequencies.empty(); }, 2000));
    EXPECT_EQ(tones->frequencies, (std::vector<int>{1175}));

    pulseTone->trigger();
    EXPECT_FALSE(pulseTone->isChecked()) << "two clicks: back where it was";
}

TEST_F(Form1Test, EndClosesThePortAndWritesTheSettings)
{
    Load(0);
    QSignalSpy ends(form, &Form1::ProgramEnds);
    Find<QAction>("menEnde")->trigger();
    EXPECT_EQ(ends.count(), 1);
    EXPECT_FALSE(form->session().Line().IsOpen());
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Sprache")), "0");
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Port")), "2");
    EXPECT_EQ(settings::LoadOptions(), (settings::StoredOptions{0, 2})) << "reads back to what was written";
}

TEST_F(Form1Test, ClosingTheWindowShutsDownTheSameWay)
{
    Load(1000, 7);  // COM7 does not open: start-up falls back to COM2, which is then saved
    form->show();
    QSignalSpy ends(form, &Form1::ProgramEnds);
    form->close();
    EXPECT_EQ(ends.count(), 1);
    EXPECT_FALSE(form->session().Line().IsOpen());
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Sprache")), "1000");
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Port")), "2");
    Find<QAction>("menEnde")->trigger();
    EXPECT_EQ(ends.count(), 1) << "the shutdown runs once";
}

TEST_F(Form1Test, APortThatCannotBeOpenedIsExplainedAndTheProgramGoesOn)
{
    Load();
    QAction* com5 = Find<QAction>("setCOM5");
    EXPECT_FALSE(com5->isEnabled());
    EXPECT_TRUE(com5->toolTip().contains(QStringLiteral("missing-com5: no such device")))
        << com5->toolTip().toStdString();

    // COM2 vanishes after start-up; picking it again must say so.
    const std::string device = com2.SlavePath();
    com2.Close();
    Find<QAction>("setCOM2")->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("COM2 (") + QString::fromStdString(device) +
                                       QStringLiteral(") cannot be opened: no such device")))
        << messages[0].toStdString();
    EXPECT_FALSE(form->session().Line().IsOpen());
    EXPECT_FALSE(Find<QAction>("setCOM2")->isChecked());
}

TEST_F(Form1Test, NoUsablePortStillStartsWithEveryPortDisabled)
{
    PutSetting(QStringLiteral("Ports/COM2"), dir.path() + QStringLiteral("/missing-com2"));
    Load();
    for (int n = 1; n <= 8; ++n) {
        const QByteArray name = "setCOM" + QByteArray::number(n);
        EXPECT_FALSE(Find<QAction>(name.constData())->isEnabled()) << name.constData();
        EXPECT_FALSE(Find<QAction>(name.constData())->isChecked()) << name.constData();
    }
    EXPECT_FALSE(form->session().Line().IsOpen());
    EXPECT_EQ(root->State().PortNumber, 2) << "unchanged";
    EXPECT_EQ(StatusBarText(), "Data is NOT written to file!") << "start-up completed";
    EXPECT_TRUE(messages.isEmpty());
}

// "All Files" must match files without a dot in their name, as most are on Linux.
TEST(SaveDialog, AllFilesMatchesEveryFile)
{
    const QStringList filters = kSaveFilter.split(QStringLiteral(";;"));
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[1].startsWith(QStringLiteral("All Files (")));
    const QString patterns = filters[1].section(u'(', -1).chopped(1);
    for (const char* name : {"night", "night.txt", ".hidden-night"})
        EXPECT_TRUE(QDir::match(patterns, QString::fromLatin1(name))) << name;
    EXPECT_FALSE(QDir::match(filters[0].section(u'(', -1).chopped(1), QStringLiteral("night"))) << "text files only";
}

TEST_F(Form1Test, HandEditedSettingsStartOnTheDefaults)
{
    PutSetting(QStringLiteral("Optionen/Sprache"), QStringLiteral("Deutsch"));
    PutSetting(QStringLiteral("Optionen/Port"), QStringLiteral("12"));
    const settings::StoredOptions stored = settings::LoadOptions();
    Load(stored.LanguageBase, stored.PortNumber);
    EXPECT_TRUE(Find<QAction>("setLangEnglish")->isChecked());
    EXPECT_EQ(root->State().PortNumber, 2) << "COM1 is missing here; the first usable port opened";
}

// The simulated oximeter on its own pseudo-terminal, the window fed by it as by a real unit.
TEST_F(Form1Test, TheSimulatedUnitsValuesShowWithinTwoSeconds)
{
    const QString link = dir.path() + QStringLiteral("/oximeter");
    QElapsedTimer clock;
    clock.start();
    QProcess sim;
    sim.start(QStringLiteral(TRELVO_SIM_PATH),
              {QStringLiteral("--link"), link, QStringLiteral("--seed"), QStringLiteral("3")});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(link); }, 5000));
    PutSetting(QStringLiteral("Ports/COM1"), link);

    Load(1000, 1);
    ASSERT_TRUE(form->session().Line().IsOpen());
    const auto isNumber = [](const QString& s) {
        bool ok = false;
        s.toInt(&ok);
        return ok;
    };
    const bool shown = QTest::qWaitFor([&] { return isNumber(Text("Label2")) && isNumber(Text("Label1")); }, 2000);
    EXPECT_TRUE(shown) << "SpO2 \"" << Text("Label2").toStdString() << "\", pulse \"" << Text("Label1").toStdString()
                       << '"';
    EXPECT_GE(Text("Label2").toInt(), 90);
    EXPECT_LE(Text("Label2").toInt(), 100);
    EXPECT_GE(Text("Label1").toInt(), 50);
    EXPECT_LE(Text("Label1").toInt(), 100);
    std::printf("values shown %lld ms after the simulator was started\n", static_cast<long long>(clock.elapsed()));

    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(5000));
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

TEST_F(Form1Test, RecordsTheSimulatedUnitEveryFiveSecondsAndClosesTheFileAtShutdown)
{
    const QString link = dir.path() + QStringLiteral("/oximeter");
    QProcess sim;
    sim.start(QStringLiteral(TRELVO_SIM_PATH), {QStringLiteral("--link"), link});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(link); }, 5000));
    PutSetting(QStringLiteral("Ports/COM1"), link);

    const QString record = dir.path() + QStringLiteral("/night.txt");
    program.PortNumber = 1;
    Open(SessionDevices{std::make_unique<test::SilentTone>(), std::make_unique<test::ChosenFile>(record.toStdString()),
                        nullptr, nullptr});
    Find<QAction>("menSpeichern")->trigger();
    EXPECT_TRUE(Find<QAction>("menSpeichern")->isChecked());
    EXPECT_EQ(StatusBarText(), QStringLiteral("Data written to:") + record);

    // The first line falls on the next second ending in 0 (up to ten seconds away), the next five
    // seconds later.
    const auto linesSoFar = [&] {
        QFile f(record);
        return f.open(QIODevice::ReadOnly) ? f.readAll().count('\n') : 0;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return linesSoFar() >= 2; }, 17'000));

    // Nights > View Nights, a menu after Language so that nothing else moves, opens on this
    // recording's folder with the night being recorded in it.
    const QList<QAction*> menus = form->menuBar()->actions();
    ASSERT_GE(menus.size(), 2);
    EXPECT_EQ(menus.back()->menu(), Find<QMenu>("menNights"));
    EXPECT_EQ(menus[menus.size() - 2]->menu(), Find<QMenu>("menLanguage"));
    EXPECT_EQ(Find<QAction>("setNights")->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_H), QKeySequence(Qt::CTRL | Qt::Key_N)}));
    Find<QAction>("setNights")->trigger();
    ASSERT_NE(root->Nights(), nullptr);
    QSignalSpy listed(root->Nights(), &NightsWindow::Listed);
    ASSERT_TRUE(listed.wait(10'000));
    EXPECT_EQ(root->Nights()->Folder(), QDir(dir.path()).absolutePath());
    ASSERT_EQ(root->Nights()->Table().model()->rowCount(), 1);
    EXPECT_TRUE(root->Nights()->Table().model()->index(0, 0).data().toString().endsWith("(being recorded)"));

    Find<QAction>("menEnde")->trigger();  // shutdown closes the record file
    sim.terminate();
    sim.waitForFinished(5000);

    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.endsWith("\r\n"));
    QList<QByteArray> lines = content.split('\n');
    lines.removeLast();  // after the last line end
    for (QByteArray& line : lines) {
        ASSERT_TRUE(line.endsWith('\r')) << line.toStdString();
        line.chop(1);
    }
    ASSERT_GE(lines.size(), 2) << content.toStdString();
    const QRegularExpression shape(QStringLiteral("^S (\\d+) P (\\d+) T (\\d\\d):(\\d\\d):(\\d\\d)  OK!$"));
    int previous = -1;
    for (const QByteArray& line : lines) {
        const auto match = shape.match(QString::fromLatin1(line));
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        EXPECT_GE(match.captured(1).toInt(), 90);
        EXPECT_GE(match.captured(2).toInt(), 50);
        const int second =
            match.captured(3).toInt() * 3600 + match.captured(4).toInt() * 60 + match.captured(5).toInt();
        EXPECT_EQ(second % 5, 0);
        if (previous >= 0) {
            EXPECT_EQ(second - previous, 5) << "five seconds apart";
        }
        previous = second;
    }

    // Beside it, a row for every second once it is over: one second apart, the wave samples that
    // came in it, and the values the fields had as it ended. A line is written within its second,
    // so it shows the values of the row before or of its own row.
    QFile perSecond(dir.path() + QStringLiteral("/night.csv"));
    ASSERT_TRUE(perSecond.open(QIODevice::ReadOnly));
    QList<QByteArray> rows = perSecond.readAll().split('\n');
    ASSERT_EQ(rows.takeLast(), QByteArray()) << "ends with a whole row";
    ASSERT_EQ(rows.takeFirst(), QByteArray("local_time,spo2_percent,pulse_per_min,status,wave\r"));
    ASSERT_GE(rows.size(), 6);
    QDateTime last;
    QHash<QString, QByteArray> valuesAt;  // "hh:mm:ss" → "spo2,pulse"
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QList<QByteArray> cells = rows[i].chopped(1).split(',');
        ASSERT_EQ(cells.size(), 5) << rows[i].toStdString();
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(cells[0]), Qt::ISODate);
        ASSERT_TRUE(at.isValid()) << rows[i].toStdString();
        if (last.isValid()) {
            EXPECT_EQ(last.secsTo(at), 1) << rows[i].toStdString();
        }
        last = at;
        // Until the unit's first values arrive, a row says there are none yet.
        EXPECT_TRUE(cells[3] == "ok" || (cells[3] == "no_data" && valuesAt.isEmpty())) << rows[i].toStdString();
        valuesAt[at.toString(QStringLiteral("HH:mm:ss"))] = cells[1] + ',' + cells[2];
        // The simulator sends 100 samples a second; the first and the last second are cut short.
        const qsizetype samples = cells[4].isEmpty() ? 0 : cells[4].count(' ') + 1;
        if (i > 0 && i + 1 < rows.size()) {
            EXPECT_GE(samples, 80) << rows[i].toStdString();
            EXPECT_LE(samples, 120) << rows[i].toStdString();
        }
        for (const QByteArray& sample : cells[4].split(' '))
            ASSERT_LE(sample.toInt(), 247);
    }
    for (const QByteArray& line : lines) {
        const auto match = shape.match(QString::fromLatin1(line));
        const QTime time =
            QTime::fromString(QString::fromLatin1(line.mid(line.indexOf(" T ") + 3, 8)), QStringLiteral("HH:mm:ss"));
        const QByteArray shown = (match.captured(1) + QLatin1Char(',') + match.captured(2)).toLatin1();
        const QString own = time.toString(QStringLiteral("HH:mm:ss")),
                      before = time.addSecs(-1).toString(QStringLiteral("HH:mm:ss"));
        ASSERT_TRUE(valuesAt.contains(own)) << own.toStdString();
        // The first second with values may hold more than one reading: bytes queued while the
        // program started arrive together (also when it is the file's first row).
        if (!valuesAt.contains(before) || valuesAt.value(before) == ",")
            continue;
        EXPECT_TRUE(valuesAt[own] == shown || valuesAt.value(before) == shown)
            << line.toStdString() << " rows: " << valuesAt.value(before).toStdString() << " / "
            << valuesAt[own].toStdString();
    }
    EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

TEST_F(Form1Test, APulledCableShowsTheWarningKeepsRecordingAndHealsItself)
{
    const std::string link = (dir.path() + QStringLiteral("/unit")).toStdString();
    auto unit = std::make_unique<tools::PseudoTerminal>(link);
    PutSetting(QStringLiteral("Ports/COM3"), QString::fromStdString(link));
    const QString record = dir.path() + QStringLiteral("/night.txt");
    program.PortNumber = 3;
    Open(SessionDevices{std::make_unique<test::SilentTone>(), std::make_unique<test::ChosenFile>(record.toStdString()),
                        nullptr, nullptr});
    ASSERT_TRUE(Find<QAction>("setCOM3")->isChecked());
    Find<QAction>("menSpeichern")->trigger();

    const std::vector<std::uint8_t> reading{249, 97, 250, 72, 251, 0};
    unit->Write(reading);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text("Label2") == "97"; }, 2000));

    unit.reset();  // the cable is pulled
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text("Label4") == "No Serial Data!"; }, 9000));
    EXPECT_GE(clock.elapsed(), 6000) << "the warning waits for ten quiet ticks";
    EXPECT_TRUE(Text("Label2").isEmpty());
    EXPECT_TRUE(Find<QAction>("setCOM3")->isChecked()) << "the check mark never moves";
    QTest::qWait(5200);  // at least one line while unplugged

    unit = std::make_unique<tools::PseudoTerminal>(link);  // plugged in again
    clock.restart();
    const bool back = QTest::qWaitFor(
        [&] {
            unit->Write(reading);
            return Text("Label2") == "97";
        },
        3000);
    EXPECT_TRUE(back) << "values again within 3 s of the device coming back";
    std::printf("values again %lld ms after the device came back\n", static_cast<long long>(clock.elapsed()));
    EXPECT_TRUE(messages.isEmpty()) << "healing is silent";

    Find<QAction>("menEnde")->trigger();
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("S XX P XXX T ")) << content.toStdString();
    EXPECT_TRUE(content.contains("  No Serial Data!\r\n"));
    EXPECT_TRUE(content.endsWith("\r\n"));
}

}  // namespace
}  // namespace trelvo::app
