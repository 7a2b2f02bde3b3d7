#include "serial/tty.h"
#include "tools/pty/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace trelvo::serial {
namespace {

namespace fs = std::filesystem;

CommError OpenFailure(const std::string& path)
{
    try {
        (void)TtyDevice::Open(path, kOximeterLine);
    } catch (const CommError& e) {
        return e;
    }
    ADD_FAILURE() << path << " opened";
    return {CommFailure::Other, ""};
}

TEST(TtyDevice, OpensTheUnitsLineRawAtNineThousandSixHundredEightNOne)
{
    tools::PseudoTerminal unit;
    TtyDevice device = TtyDevice::Open(unit.SlavePath(), kOximeterLine);
    termios tio{};
    ASSERT_EQ(::tcgetattr(device.Descriptor(), &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u) << "no parity, one stop bit";
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw: no line editing, no echo, no signals";
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | ISTRIP), 0u) << "no byte translated";

    const std::vector<std::uint8_t> sent{0, 10, 13, 17, 19, 127, 248, 255};
    unit.Write(sent);
    std::vector<std::uint8_t> got;
    for (int i = 0; i < 100 && got.size() < sent.size(); ++i) {
        EXPECT_EQ(device.ReadWaiting(got, 1024), TtyDevice::ReadState::Open);
        ::usleep(2000);
    }
    EXPECT_EQ(got, sent);

    unit.Close();
    std::vector<std::uint8_t> more;
    EXPECT_EQ(device.ReadWaiting(more, 1024), TtyDevice::ReadState::Gone) << "a hang-up is told apart from quiet";
}

TEST(TtyDevice, WhatCannotBeOpenedSaysWhy)
{
    const fs::path dir = fs::temp_directory_path() / ("trelvo-tty-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string missing = (dir / "no-such-device").string();
    const CommError gone = OpenFailure(missing);
    EXPECT_EQ(gone.failure(), CommFailure::NoSuchDevice);
    EXPECT_EQ(gone.device(), missing);
    EXPECT_EQ(gone.reason(), "no such device");

    const std::string file = (dir / "plain.txt").string();
    std::ofstream(file) << "not a terminal";
    EXPECT_EQ(OpenFailure(file).failure(), CommFailure::NotASerialPort);
    EXPECT_EQ(OpenFailure(dir.string()).failure(), CommFailure::NotASerialPort) << "a folder";
    EXPECT_EQ(OpenFailure("/dev/null").failure(), CommFailure::NotASerialPort) << "a device, but no terminal";
    fs::remove_all(dir);
}

// Two programs on one port: the second is told the port is busy, and gets it once the first has
// let go.
TEST(TtyDevice, ADeviceAnotherProgramHoldsIsBusy)
{
    tools::PseudoTerminal unit;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        TtyDevice held = TtyDevice::Open(unit.SlavePath(), kOximeterLine);
        const char ok = 'y';
        [[maybe_unused]] const ssize_t told = ::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);

    const CommError e = OpenFailure(unit.SlavePath());
    EXPECT_EQ(e.failure(), CommFailure::Busy) << e.reason();
    EXPECT_NE(e.reason().find("another program"), std::string::npos);

    ::kill(other, SIGTERM);
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_NO_THROW((void)TtyDevice::Open(unit.SlavePath(), kOximeterLine)) << "free again";
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace trelvo::serial
