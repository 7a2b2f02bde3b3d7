// The sleep inhibition against a session bus of this test's own, served by a fake screen saver.

#include "app/form1.h"
#include "app/sleep_guard.h"
#include "support/settings_fixture.h"
#include "tools/pty/pseudo_terminal.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace trelvo::app {
namespace {

// org.freedesktop.ScreenSaver as a desktop provides it, keeping count.
class FakeScreenSaver final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QStringList active;  // "app: why", by cookie order
    std::vector<uint> cookies;
    std::vector<uint> released;

public slots:
    uint Inhibit(const QString& app, const QString& why)
    {
        active << app + QStringLiteral(": ") + why;
        cookies.push_back(static_cast<uint>(100 + cookies.size()));
        return cookies.back();
    }
    void UnInhibit(uint cookie) { released.push_back(cookie); }
};

class SleepGuardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("TRELVO_TEST_BUS"))
            GTEST_SKIP() << "dbus-daemon is not installed; the sleep inhibition is not tested";
        QDBusConnection bus = QDBusConnection::sessionBus();
        ASSERT_TRUE(bus.isConnected());
        ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                                       QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    }
    void TearDown() override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        bus.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
    }
    FakeScreenSaver saver;
};

TEST_F(SleepGuardTest, TakesAndReleasesOneInhibition)
{
    SleepGuard guard(SleepGuard::Buses::SessionOnly);
    guard.Take(QStringLiteral("recording"));
    guard.Take(QStringLiteral("recording"));  // held already: not twice
    EXPECT_TRUE(guard.Held());
    ASSERT_EQ(saver.cookies.size(), 1u);
    EXPECT_EQ(saver.active[0], "Trelvo: recording");
    guard.Release();
    EXPECT_FALSE(guard.Held());
    EXPECT_EQ(saver.released, saver.cookies);
}

class SaveTo final : public recording::SaveDialog {
public:
    explicit SaveTo(std::string path) : m_path(std::move(path)) {}
    std::optional<std::string> ShowSave(std::string_view) override { return m_path; }

private:
    std::string m_path;
};

TEST_F(SleepGuardTest, RecordingKeepsTheComputerAwakeUntilItStops)
{
    QTemporaryDir dir;
    tools::PseudoTerminal unit;
    test::StoreWithPorts(dir.path(), {{1, unit.SlavePath()}});
    core::ProgramState program;
    Form1Devices devices;
    devices.saveDialog = std::make_unique<SaveTo>((dir.path() + QStringLiteral("/night.txt")).toStdString());
    devices.sleepGuard = std::make_unique<SleepGuard>(SleepGuard::Buses::SessionOnly);
    Form1 form(program, std::move(devices));
    form.Form_Load();
    QAction* save = form.findChild<QAction*>(QStringLiteral("menSpeichern"));

    save->trigger();
    ASSERT_TRUE(program.Recording);
    EXPECT_EQ(saver.cookies.size(), 1u) << "taken when recording starts";
    EXPECT_TRUE(saver.released.empty());
    save->trigger();
    EXPECT_EQ(saver.released, saver.cookies) << "released when it stops";

    save->trigger();
    EXPECT_EQ(saver.cookies.size(), 2u);
    form.Form_Unload();
    EXPECT_EQ(saver.released, saver.cookies) << "released when the program ends";
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
