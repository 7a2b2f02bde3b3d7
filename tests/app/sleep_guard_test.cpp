// The sleep inhibition against a session bus of this test's own, served by fake desktop services.

#include "app/form1.h"
#include "app/platform/sleep_guard.h"
#include "support/fakes.h"
#include "support/settings_fixture.h"
#include "tools/pty/pseudo_terminal.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace trelvo::app {
namespace {

// The fake desktop's own connection to the bus: calls to it travel through the bus as calls to
// another program do, so a test sees whether the guard waits for an answer.
QDBusConnection Desktop()
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-desktop"));
}

// An inhibition service as a desktop provides it on the session bus, keeping count. With
// replyLater, it answers a request only when told to, as a busy desktop does.
class FakeInhibitor : public QObject, protected QDBusContext {
    Q_OBJECT

public:
    QStringList active;  // "app: why", by cookie order
    std::vector<uint> cookies;
    std::vector<uint> released;
    bool replyLater = false;
    std::vector<QDBusMessage> unanswered;

    void AnswerNow()
    {
        for (const QDBusMessage& call : std::exchange(unanswered, {}))
            Desktop().send(
                call.createReply(Issue(call.arguments().at(0).toString(), call.arguments().at(1).toString())));
    }

public slots:
    uint Inhibit(const QString& app, const QString& why)
    {
        if (replyLater) {
            setDelayedReply(true);
            unanswered.push_back(message());
            return 0;
        }
        return Issue(app, why);
    }
    void UnInhibit(uint cookie) { released.push_back(cookie); }

private:
    uint Issue(const QString& app, const QString& why)
    {
        active << app + QStringLiteral(": ") + why;
        cookies.push_back(static_cast<uint>(100 + cookies.size()));
        return cookies.back();
    }
};

// The desktop's power manager: blocks suspend only.
class FakePowerManagement final : public FakeInhibitor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement.Inhibit")
};

// The screen saver: the guard must leave it alone, or the display stays lit all night.
class FakeScreenSaver final : public FakeInhibitor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
};

class SleepGuardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("TRELVO_TEST_BUS"))
            GTEST_SKIP() << "dbus-daemon is not installed; the sleep inhibition is not tested";
        ASSERT_TRUE(Register(QStringLiteral("org.freedesktop.PowerManagement"),
                             QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"), power));
        ASSERT_TRUE(Register(QStringLiteral("org.freedesktop.ScreenSaver"),
                             QStringLiteral("/org/freedesktop/ScreenSaver"), screen));
    }
    void TearDown() override
    {
        QDBusConnection bus = Desktop();
        for (const char* name : {"org.freedesktop.PowerManagement", "org.freedesktop.ScreenSaver"})
            bus.unregisterService(QString::fromLatin1(name));
        bus.unregisterObject(QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"));
        bus.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
    }
    static bool Register(const QString& service, const QString& path, QObject& object)
    {
        QDBusConnection bus = Desktop();
        return bus.isConnected() && bus.registerObject(path, &object, QDBusConnection::ExportAllSlots) &&
               bus.registerService(service);
    }
    FakePowerManagement power;
    FakeScreenSaver screen;
};

TEST_F(SleepGuardTest, TakesAndReleasesOneSuspendBlockAndLeavesTheScreenAlone)
{
    SleepGuard guard(SleepGuard::Buses::SessionOnly);
    guard.Take(QStringLiteral("recording"));
    guard.Take(QStringLiteral("recording"));  // asked already: not twice
    ASSERT_TRUE(QTest::qWaitFor([&] { return guard.Held(); }, 2000));
    ASSERT_EQ(power.cookies.size(), 1u);
    EXPECT_EQ(power.active[0], "Trelvo: recording");
    guard.Release();
    EXPECT_FALSE(guard.Held());
    EXPECT_TRUE(QTest::qWaitFor([&] { return power.released == power.cookies; }, 2000));
    EXPECT_TRUE(screen.cookies.empty()) << "the screen may go dark as usual";
}

// The desktop answers late: the window goes on meanwhile, and a recording that stopped before the
// answer came leaves no block behind.
TEST_F(SleepGuardTest, TheWindowNeverWaitsForTheBusAndALateAnswerIsUndone)
{
    power.replyLater = true;
    SleepGuard guard(SleepGuard::Buses::SessionOnly);
    QElapsedTimer clock;
    clock.start();
    guard.Take(QStringLiteral("recording"));
    guard.Release();
    EXPECT_LT(clock.elapsed(), 100) << "Take and Release return at once";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !power.unanswered.empty(); }, 2000));
    power.AnswerNow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return power.released == power.cookies && !power.cookies.empty(); }, 2000))
        << "released as soon as it was granted";
    EXPECT_FALSE(guard.Held());
}

TEST_F(SleepGuardTest, RecordingKeepsTheComputerAwakeUntilItStops)
{
    QTemporaryDir dir;
    tools::PseudoTerminal unit;
    test::StoreWithPorts(dir.path(), {{1, unit.SlavePath()}});
    core::ProgramState program;
    SessionDevices devices;
    devices.tone = std::make_unique<test::SilentTone>();
    devices.saveDialog = std::make_unique<test::ChosenFile>((dir.path() + QStringLiteral("/night.txt")).toStdString());
    devices.sleepGuard = std::make_unique<SleepGuard>(SleepGuard::Buses::SessionOnly);
    Session session(program, std::move(devices));
    Form1 form(session);
    form.Form_Load();
    QAction* save = form.findChild<QAction*>(QStringLiteral("menSpeichern"));

    save->trigger();
    ASSERT_TRUE(program.Recording);
    EXPECT_TRUE(QTest::qWaitFor([&] { return power.cookies.size() == 1; }, 2000)) << "taken when recording starts";
    EXPECT_TRUE(power.released.empty());
    save->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return power.released == power.cookies; }, 2000)) << "released when it stops";

    save->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return power.cookies.size() == 2; }, 2000));
    form.Form_Unload();
    EXPECT_TRUE(QTest::qWaitFor([&] { return power.released == power.cookies; }, 2000))
        << "released when the program ends";
    test::ClearStore();
}

}  // namespace
}  // namespace trelvo::app

int main(int argc, char* argv[])
{
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    // A session bus of this test's own, before anything in Qt looks for one.
    QProcess bus;
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (!daemon.isEmpty()) {
        bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (bus.waitForStarted(5000) && bus.waitForReadyRead(5000)) {
            const QByteArray address = bus.readLine().trimmed();
            ::setenv("DBUS_SESSION_BUS_ADDRESS", address.constData(), 1);
            ::setenv("TRELVO_TEST_BUS", "1", 1);
        }
    }

    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    bus.terminate();
    bus.waitForFinished(5000);
    return result;
}

#include "sleep_guard_test.moc"
