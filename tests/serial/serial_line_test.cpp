#include "serial/serial_line.h"
#include "tools/pty/pseudo_terminal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ctime>
#include <random>

namespace trelvo::serial {
namespace {

using Bytes = std::vector<std::uint8_t>;

double ProcessCpuSeconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// A line that notes what it hands on.
struct ListeningLine {
    ListeningLine()
    {
        line.SetReceiver([this](std::span<const std::uint8_t> bytes) {
            ++batches;
            received.insert(received.end(), bytes.begin(), bytes.end());
        });
    }
    SerialLine line;
    Bytes received;
    int batches = 0;
};

TEST(SerialLine, EveryByteValueArrivesUnchangedAndInOrderAcrossManyChunks)
{
    tools::PseudoTerminal unit;
    ListeningLine l;
    l.line.Open(unit.SlavePath());
    ASSERT_TRUE(l.line.IsOpen());

    Bytes sent;
    for (int round = 0; round < 8; ++round)
        for (int b = 0; b < 256; ++b)
            sent.push_back(static_cast<std::uint8_t>(round % 2 ? 255 - b : b));
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> chunkSize(1, 97);
    for (std::size_t at = 0; at < sent.size();) {
        const std::size_t n = std::min(chunkSize(random), sent.size() - at);
        ASSERT_EQ(unit.Write({sent.data() + at, n}), n);
        at += n;
        QTest::qWait(1);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return l.received.size() >= sent.size(); }, 5000));
    EXPECT_EQ(l.received, sent) << "raw: no byte translated, none lost";
    EXPECT_GT(l.batches, 1) << "handed on in several batches";
}

TEST(SerialLine, FarEndClosingWhileOpenClosesTheLineWithoutSpinning)
{
    tools::PseudoTerminal unit;
    SerialLine line;
    line.Open(unit.SlavePath());
    QSignalSpy lost(&line, &SerialLine::DeviceLost);

    unit.Close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !line.IsOpen(); }, 3000));
    ASSERT_EQ(lost.count(), 1);
    EXPECT_TRUE(lost.at(0).at(0).toString().contains(QStringLiteral("unplugged"))) << "says why";

    // A line left open on a hang-up would keep the event loop busy.
    const double before = ProcessCpuSeconds();
    QTest::qWait(500);
    const double spent = ProcessCpuSeconds() - before;
    EXPECT_LT(spent, 0.15) << "CPU seconds spent in half a second after the loss";
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(line.IsOpen());
}

TEST(SerialLine, ClosingAndOpeningAgainAreSafeInAnyOrder)
{
    tools::PseudoTerminal unit;
    ListeningLine l;
    l.line.Close();  // closing a closed line does nothing
    EXPECT_FALSE(l.line.IsOpen());
    l.line.Open(unit.SlavePath());
    l.line.Open(unit.SlavePath());  // opening an open line opens it afresh, not twice
    EXPECT_TRUE(l.line.IsOpen());
    l.line.Close();
    EXPECT_FALSE(l.line.IsOpen());
    l.line.Open(unit.SlavePath());
    const Bytes ping{249, 97};
    unit.Write(ping);
    EXPECT_TRUE(QTest::qWaitFor([&] { return l.received == ping; }, 2000));
}

// A busy line is collected once a frame: far fewer batches than bytes, every byte in order, and
// the first byte after a quiet spell without waiting for the frame.
TEST(SerialLine, ByteByByteStreamIsCollectedOnceAFrameWithoutLoss)
{
    tools::PseudoTerminal unit;
    ListeningLine l;
    l.line.Open(unit.SlavePath());
    QElapsedTimer clock;
    qint64 firstHandedOn = -1;
    l.line.SetReceiver([&](std::span<const std::uint8_t> bytes) {
        if (firstHandedOn < 0)
            firstHandedOn = clock.elapsed();
        ++l.batches;
        l.received.insert(l.received.end(), bytes.begin(), bytes.end());
    });

    clock.start();
    const Bytes first{42};
    unit.Write(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !l.received.empty(); }, 1000));
    EXPECT_LT(firstHandedOn, SerialLine::kFrameMilliseconds) << "the first byte is not held back for a frame";

    Bytes sent = first;
    for (int i = 0; i < 300; ++i) {
        const Bytes one{static_cast<std::uint8_t>(i)};
        unit.Write(one);
        sent.push_back(one[0]);
        QTest::qWait(1);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return l.received.size() == sent.size(); }, 3000));
    EXPECT_EQ(l.received, sent);
    const double frames = static_cast<double>(clock.elapsed()) / SerialLine::kFrameMilliseconds;
    EXPECT_LE(l.batches, frames + 3) << "301 bytes written one at a time: about one batch a frame";
    std::printf("%d batches in %.1f frames\n", l.batches, frames);
}

int OpenDescriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// The unit at a stable path (a link), as a USB adapter under /dev/serial/by-id is.
class UnpluggedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        unit = std::make_unique<tools::PseudoTerminal>(link);
        l.line.Open(link);
    }
    // Pulls the cable and waits until the line has noticed.
    void Unplug()
    {
        unit.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !l.line.IsOpen(); }, 3000));
        EXPECT_TRUE(l.line.Reopening());
    }
    // Plugs it in again at the same path; true when data flow within the time given.
    bool PlugInAndReceiveWithin(int milliseconds)
    {
        unit = std::make_unique<tools::PseudoTerminal>(link);
        l.received.clear();
        const Bytes ping{249, 97, 251, 0};
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds) {
            unit->Write(ping);  // the unit sends all the time
            if (QTest::qWaitFor([&] { return !l.received.empty(); }, 50))
                return true;
        }
        return false;
    }

    QTemporaryDir dir;
    std::string link = (dir.path() + QStringLiteral("/unit")).toStdString();
    std::unique_ptr<tools::PseudoTerminal> unit;
    ListeningLine l;
};

TEST_F(UnpluggedTest, DataFlowAgainWithinThreeSecondsOfTheDeviceComingBack)
{
    QSignalSpy back(&l.line, &SerialLine::DeviceBack);
    Unplug();
    QTest::qWait(2500);  // out for a while: the retries fail quietly
    EXPECT_FALSE(l.line.IsOpen());
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(PlugInAndReceiveWithin(3000));
    std::printf("data again %lld ms after the device came back\n", static_cast<long long>(clock.elapsed()));
    EXPECT_TRUE(l.line.IsOpen());
    EXPECT_FALSE(l.line.Reopening());
    EXPECT_EQ(back.count(), 1);
    EXPECT_EQ(l.line.Device(), link) << "the same device";
}

TEST_F(UnpluggedTest, TwentyOutagesInARowLeakNothing)
{
    l.line.SetReopenInterval(100);
    Unplug();
    ASSERT_TRUE(PlugInAndReceiveWithin(3000));
    const int descriptors = OpenDescriptors();
    for (int i = 0; i < 20; ++i) {
        Unplug();
        ASSERT_TRUE(PlugInAndReceiveWithin(3000)) << "outage " << i;
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(UnpluggedTest, ClosingTheLineByHandStopsTheRetries)
{
    Unplug();
    l.line.Close();
    EXPECT_FALSE(l.line.Reopening());
    unit = std::make_unique<tools::PseudoTerminal>(link);
    QTest::qWait(2500);
    EXPECT_FALSE(l.line.IsOpen()) << "nothing reopened behind the program's back";
}

}  // namespace
}  // namespace trelvo::serial
