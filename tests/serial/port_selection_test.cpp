#include "serial/port_selection.h"
#include "tools/pty/pseudo_terminal.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <array>

namespace trelvo::serial {
namespace {

class FakePortMenu final : public PortMenu {
public:
    void SetPortEnabled(int n, bool enabled) override { enabledFlags.at(Index(n)) = enabled; }
    [[nodiscard]] bool PortEnabled(int n) const override { return enabledFlags.at(Index(n)); }
    void SetPortChecked(int n, bool checked) override { checkedFlags.at(Index(n)) = checked; }
    void SetPortUnusable(int n, const CommError& why) override { failures.at(Index(n)) = why.failure(); }
    void SetPortUsable(int n, const std::string& device) override { devices.at(Index(n)) = device; }

    [[nodiscard]] std::vector<int> Enabled() const { return Where(enabledFlags); }
    [[nodiscard]] std::vector<int> Checked() const { return Where(checkedFlags); }

    std::array<bool, 8> enabledFlags{};
    std::array<bool, 8> checkedFlags{true};  // COM1 is checked when the window is created
    std::array<std::optional<CommFailure>, 8> failures{};
    std::array<std::string, 8> devices{};

private:
    static std::size_t Index(int n) { return static_cast<std::size_t>(n - 1); }
    static std::vector<int> Where(const std::array<bool, 8>& flags)
    {
        std::vector<int> ports;
        for (std::size_t i = 0; i < flags.size(); ++i)
            if (flags[i])
                ports.push_back(static_cast<int>(i + 1));
        return ports;
    }
};

// COM2 and COM5 lead to pseudo-terminals; every other COM number to a device that does not exist.
class PortSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PortOverrides overrides;
        for (int n = kFirstPort; n <= kLastPort; ++n)
            overrides[n] = (dir.path() + QStringLiteral("/missing-com%1").arg(n)).toStdString();
        overrides[2] = com2->SlavePath();
        overrides[5] = com5->SlavePath();
        serial = std::make_unique<PortSelection>(line, menu, overrides);
        line.SetReceiver([this](std::span<const std::uint8_t> bytes) {
            received.insert(received.end(), bytes.begin(), bytes.end());
        });
    }

    // As the program does: the port opened is the one remembered.
    std::optional<CommError> Init()
    {
        const PortSelection::StartUp opened = serial->InitSerialPort(portNumber);
        if (!opened.failure)
            portNumber = opened.port;
        return opened.failure;
    }
    void Open(std::uint8_t n) { portNumber = serial->OpenPort(n); }

    // True when nobody holds the device: another program can open it.
    static bool IsFree(const std::string& device)
    {
        try {
            (void)TtyDevice::Open(device, kOximeterLine);
        } catch (const CommError&) {
            return false;
        }
        return true;
    }

    // True when bytes written to the line arrive at the program.
    bool Receives(tools::PseudoTerminal& unit)
    {
        received.clear();
        const std::vector<std::uint8_t> ping{1, 2, 3};
        unit.Write(ping);
        return QTest::qWaitFor([&] { return received.size() >= 3; }, 2000) && received == ping;
    }

    QTemporaryDir dir;
    std::unique_ptr<tools::PseudoTerminal> com2 = std::make_unique<tools::PseudoTerminal>();
    std::unique_ptr<tools::PseudoTerminal> com5 = std::make_unique<tools::PseudoTerminal>();
    SerialLine line;
    FakePortMenu menu;
    std::uint8_t portNumber = 3;
    std::unique_ptr<PortSelection> serial;
    std::vector<std::uint8_t> received;
};

TEST_F(PortSelectionTest, RememberedPortThatFailsGivesWayToTheFirstUsable)
{
    EXPECT_FALSE(Init().has_value());
    EXPECT_EQ(menu.Enabled(), (std::vector<int>{2, 5}));
    EXPECT_EQ(menu.Checked(), (std::vector<int>{2}));
    EXPECT_EQ(portNumber, 2);
    EXPECT_TRUE(line.IsOpen());
    EXPECT_TRUE(Receives(*com2));
    EXPECT_EQ(menu.failures[0], CommFailure::NoSuchDevice) << "a disabled item says why";
    EXPECT_EQ(menu.devices[1], com2->SlavePath()) << "a usable item names its device";
}

TEST_F(PortSelectionTest, RememberedPortWinsWhenUsable)
{
    portNumber = 5;
    EXPECT_FALSE(Init().has_value());
    EXPECT_EQ(menu.Checked(), (std::vector<int>{5}));
    EXPECT_EQ(portNumber, 5);
    EXPECT_TRUE(Receives(*com5));
}

TEST_F(PortSelectionTest, TheProbeLeavesNoPortOpen)
{
    for (int n = kFirstPort; n <= kLastPort; ++n)
        menu.SetPortEnabled(n, true);
    EXPECT_EQ(serial->FindFirstPort(), 2);
    EXPECT_FALSE(line.IsOpen());
    EXPECT_TRUE(IsFree(com2->SlavePath()));
    EXPECT_TRUE(IsFree(com5->SlavePath()));
}

TEST_F(PortSelectionTest, ClickingTheCheckedItemReopensThatPort)
{
    ASSERT_FALSE(Init().has_value());
    Open(2);
    EXPECT_EQ(menu.Checked(), (std::vector<int>{2}));
    EXPECT_EQ(portNumber, 2);
    EXPECT_TRUE(Receives(*com2));
}

TEST_F(PortSelectionTest, ClickingAnotherItemMovesPortAndCheckMark)
{
    ASSERT_FALSE(Init().has_value());
    Open(5);
    EXPECT_EQ(menu.Checked(), (std::vector<int>{5}));
    EXPECT_EQ(portNumber, 5);
    EXPECT_TRUE(Receives(*com5));
    EXPECT_TRUE(IsFree(com2->SlavePath())) << "the old port is closed";
}

TEST_F(PortSelectionTest, APickedPortThatVanishedLeavesEverythingClosedAndUnchecked)
{
    ASSERT_FALSE(Init().has_value());
    com5.reset();  // the device goes away after the probe
    try {
        Open(5);
        ADD_FAILURE() << "the open succeeded";
    } catch (const CommError& e) {
        EXPECT_EQ(e.failure(), CommFailure::NoSuchDevice);
    }
    EXPECT_FALSE(line.IsOpen());
    EXPECT_TRUE(menu.Checked().empty());
    EXPECT_EQ(portNumber, 2) << "unchanged";
    EXPECT_EQ(menu.Enabled(), (std::vector<int>{2, 5})) << "no re-probe";
}

TEST_F(PortSelectionTest, NoUsablePortDisablesEverythingAndOpensNothing)
{
    com2.reset();
    com5.reset();
    const auto failure = Init();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->failure(), CommFailure::InvalidPortNumber);
    EXPECT_TRUE(menu.Enabled().empty());
    EXPECT_TRUE(menu.Checked().empty());
    EXPECT_EQ(portNumber, 3);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(PortSelectionTest, ARememberedNumberOutsideTheMenuCountsAsUnusable)
{
    for (const std::uint8_t remembered : {0, 9, 255}) {
        portNumber = remembered;
        EXPECT_FALSE(Init().has_value());
        EXPECT_EQ(portNumber, 2);
        line.Close();
    }
}

}  // namespace
}  // namespace trelvo::serial
