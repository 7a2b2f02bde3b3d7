#include "core/receive.h"
#include "serial/comm_control.h"
#include "tools/pty/pseudo_terminal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <random>

namespace trelvo::serial {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Configures the component as the program does and points COM2 at the given device.
void Configure(CommControl& comm, const std::string& device)
{
    comm.SetPortOverrides({{2, device}});
    comm.SetCommPort(2);
    comm.SetSettings(kOximeterLineSettings);
    comm.SetInputMode(static_cast<int>(InputMode::Binary));
    comm.SetRThreshold(1);
    comm.SetSThreshold(1);
}

CommError OpenFailure(CommControl& comm)
{
    try {
        comm.SetPortOpen(true);
    } catch (const CommError& e) {
        return e;
    }
    ADD_FAILURE() << "the open succeeded";
    return {CommFailure::Other, ""};
}

double ProcessCpuSeconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

TEST(CommControl, EveryByteValueArrivesUnchangedAndInOrderAcrossManyChunks)
{
    tools::PseudoTerminal line;
    CommControl comm;
    Configure(comm, line.SlavePath());
    comm.SetPortOpen(true);
    ASSERT_TRUE(comm.PortOpen());

    Bytes received;
    int events = 0;
    QObject::connect(&comm, &CommControl::OnComm, [&] {
        ++events;
        EXPECT_EQ(comm.CommEvent(), core::kCommEventReceive);
        while (comm.InBufferCount() > 0) {
            const Bytes chunk = comm.Input();
            received.insert(received.end(), chunk.begin(), chunk.end());
        }
    });

    Bytes sent;
    for (int round = 0; round < 8; ++round)
        for (int b = 0; b < 256; ++b)
            sent.push_back(static_cast<std::uint8_t>(round % 2 ? 255 - b : b));
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> chunkSize(1, 97);
    for (std::size_t at = 0; at < sent.size();) {
        const std::size_t n = std::min(chunkSize(random), sent.size() - at);
        ASSERT_EQ(line.Write({sent.data() + at, n}), n);
        at += n;
        QTest::qWait(1);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() >= sent.size(); }, 5000));
    EXPECT_EQ(received, sent);
    EXPECT_GT(events, 1) << "delivered in several events";
    EXPECT_EQ(comm.InBufferCount(), 0) << "Input leaves nothing behind";
}

TEST(CommControl, NoReceiveEventsWithoutAThreshold)
{
    tools::PseudoTerminal line;
    CommControl comm;
    Configure(comm, line.SlavePath());
    comm.SetRThreshold(0);
    comm.SetPortOpen(true);
    QSignalSpy events(&comm, &CommControl::OnComm);
    const Bytes bytes{1, 2, 3};
    line.Write(bytes);
    EXPECT_TRUE(QTest::qWaitFor([&] { return comm.InBufferCount() == 3; }, 2000));
    EXPECT_EQ(events.count(), 0);
    EXPECT_EQ(comm.Input(), bytes);
}

TEST(CommControl, FarEndClosingWhileOpenClosesThePortWithoutSpinning)
{
    tools::PseudoTerminal line;
    CommControl comm;
    Configure(comm, line.SlavePath());
    comm.SetPortOpen(true);
    QSignalSpy lost(&comm, &CommControl::DeviceLost);

    line.Close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !comm.PortOpen(); }, 3000));
    ASSERT_EQ(lost.count(), 1);
    EXPECT_TRUE(lost.at(0).at(0).toString().contains(QStringLiteral("unplugged"))) << "says why";

    // A port left open on a hung-up line would keep the event loop busy.
    const double before = ProcessCpuSeconds();
    QTest::qWait(500);
    const double spent = ProcessCpuSeconds() - before;
    EXPECT_LT(spent, 0.15) << "CPU seconds spent in half a second after the loss";
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(comm.PortOpen());
}

TEST(CommControl, OpeningAMissingDeviceFailsWithAReason)
{
    QTemporaryDir dir;
    CommControl comm;
    const std::string missing = (dir.path() + QStringLiteral("/no-such-device")).toStdString();
    Configure(comm, missing);
    const CommError e = OpenFailure(comm);
    EXPECT_EQ(e.failure(), CommFailure::NoSuchDevice);
    EXPECT_EQ(e.device(), missing);
    EXPECT_EQ(e.reason(), "no such device");
    EXPECT_FALSE(comm.PortOpen());
}

TEST(CommControl, OpeningAFileThatIsNoSerialPortFails)
{
    QTemporaryDir dir;
    const std::string file = (dir.path() + QStringLiteral("/plain.txt")).toStdString();
    std::ofstream(file) << "not a terminal";
    CommControl comm;
    Configure(comm, file);
    const CommError e = OpenFailure(comm);
    EXPECT_EQ(e.failure(), CommFailure::NotASerialPort) << e.reason();
    EXPECT_FALSE(comm.PortOpen());
}

TEST(CommControl, ADeviceAnotherProgramHoldsIsBusy)
{
    tools::PseudoTerminal line;
    CommControl first;
    Configure(first, line.SlavePath());
    first.SetPortOpen(true);

    CommControl second;
    Configure(second, line.SlavePath());
    const CommError e = OpenFailure(second);
    EXPECT_EQ(e.failure(), CommFailure::Busy) << e.reason();
    EXPECT_NE(e.reason().find("another program"), std::string::npos);
    EXPECT_TRUE(first.PortOpen());
}

TEST(CommControl, PropertiesKeepToTheirRules)
{
    tools::PseudoTerminal line;
    CommControl comm;
    EXPECT_FALSE(comm.PortOpen());
    comm.SetPortOpen(false);  // closing a closed port does nothing
    EXPECT_FALSE(comm.PortOpen());

    for (const int bad : {0, 9, -1}) {
        try {
            comm.SetCommPort(bad);
            ADD_FAILURE() << "COM" << bad << " accepted";
        } catch (const CommError& e) {
            EXPECT_EQ(e.failure(), CommFailure::InvalidPortNumber);
        }
    }
    EXPECT_THROW(comm.SetSettings("9600,n,8"), CommError);
    EXPECT_THROW(comm.SetInputMode(2), CommError);
    EXPECT_THROW(comm.SetRThreshold(-1), CommError);

    Configure(comm, line.SlavePath());
    comm.SetPortOpen(true);
    EXPECT_EQ(comm.Settings(), "9600,n,8,1");
    EXPECT_THROW(comm.SetCommPort(3), CommError) << "the number stays while open";
    EXPECT_EQ(comm.CommPort(), 2);
    comm.SetPortOpen(false);
    EXPECT_FALSE(comm.PortOpen());
    comm.SetPortOpen(true);
    EXPECT_TRUE(comm.PortOpen()) << "the same port opens again";
}

}  // namespace
}  // namespace trelvo::serial

namespace trelvo::serial {
namespace {

// A busy line is collected in batches: far fewer events than bytes, every byte in order, and the
// first byte after a quiet spell without waiting for the batch.
TEST(CommControl, ByteByByteStreamIsCollectedInBatchesWithoutLoss)
{
    tools::PseudoTerminal line;
    CommControl comm;
    Configure(comm, line.SlavePath());
    comm.SetPortOpen(true);
    Bytes received;
    int events = 0;
    QObject::connect(&comm, &CommControl::OnComm, [&] {
        ++events;
        const Bytes chunk = comm.Input();
        received.insert(received.end(), chunk.begin(), chunk.end());
    });

    QElapsedTimer clock;
    clock.start();
    const Bytes first{42};
    line.Write(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, 1000));
    // Delivered on arrival, not at a collection tick; the bound leaves room for a busy machine.
    EXPECT_LT(clock.elapsed(), 5 * CommControl::kCollectMilliseconds) << "the first byte is not held back";

    Bytes sent = first;
    for (int i = 0; i < 300; ++i) {
        const Bytes one{static_cast<std::uint8_t>(i)};
        line.Write(one);
        sent.push_back(one[0]);
        QTest::qWait(1);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == sent.size(); }, 3000));
    EXPECT_EQ(received, sent);
    EXPECT_LT(events, 150) << "301 bytes written one at a time over about 300 ms";
}

}  // namespace
}  // namespace trelvo::serial

namespace trelvo::serial {
namespace {

int OpenDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// The unit at a stable path (a link), as a USB adapter under /dev/serial/by-id is.
class UnpluggedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        line = std::make_unique<tools::PseudoTerminal>(link);
        Configure(comm, link);
        comm.SetPortOpen(true);
        QObject::connect(&comm, &CommControl::OnComm, [this] {
            const Bytes chunk = comm.Input();
            received.insert(received.end(), chunk.begin(), chunk.end());
        });
    }
    // Pulls the cable and waits until the component has noticed.
    void Unplug()
    {
        line.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !comm.PortOpen(); }, 3000));
        EXPECT_TRUE(comm.Reopening());
    }
    // Plugs it in again at the same path; true when data flow within the time given.
    bool PlugInAndReceiveWithin(int milliseconds)
    {
        line = std::make_unique<tools::PseudoTerminal>(link);
        received.clear();
        const Bytes ping{249, 97, 251, 0};
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds) {
            line->Write(ping);  // the unit sends all the time
            if (QTest::qWaitFor([&] { return !received.empty(); }, 50))
                return true;
        }
        return false;
    }

    QTemporaryDir dir;
    std::string link = (dir.path() + QStringLiteral("/unit")).toStdString();
    std::unique_ptr<tools::PseudoTerminal> line;
    CommControl comm;
    Bytes received;
};

TEST_F(UnpluggedTest, DataFlowAgainWithinThreeSecondsOfTheDeviceComingBack)
{
    QSignalSpy back(&comm, &CommControl::DeviceBack);
    Unplug();
    QTest::qWait(2500);  // out for a while: the retries fail quietly
    EXPECT_FALSE(comm.PortOpen());
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(PlugInAndReceiveWithin(3000));
    std::printf("data again %lld ms after the device came back\n", static_cast<long long>(clock.elapsed()));
    EXPECT_TRUE(comm.PortOpen());
    EXPECT_FALSE(comm.Reopening());
    EXPECT_EQ(back.count(), 1);
    EXPECT_EQ(comm.CommPort(), 2) << "the same COM number";
}

TEST_F(UnpluggedTest, TwentyOutagesInARowLeakNothing)
{
    comm.SetReopenInterval(100);
    Unplug();
    ASSERT_TRUE(PlugInAndReceiveWithin(3000));
    const int descriptors = OpenDescriptors();
    for (int i = 0; i < 20; ++i) {
        Unplug();
        ASSERT_TRUE(PlugInAndReceiveWithin(3000)) << "outage " << i;
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(UnpluggedTest, SettingThePortByHandStopsTheRetries)
{
    Unplug();
    comm.SetCommPort(3);
    EXPECT_FALSE(comm.Reopening());
    comm.SetCommPort(2);
    line = std::make_unique<tools::PseudoTerminal>(link);
    QTest::qWait(2500);
    EXPECT_FALSE(comm.PortOpen()) << "nothing reopened behind the program's back";
}

}  // namespace
}  // namespace trelvo::serial
