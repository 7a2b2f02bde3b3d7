#include "tools/pty/pseudo_terminal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace trelvo::tools {
namespace {

[[noreturn]] void Fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal(std::string linkPath)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0)
        Fail("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        const int saved = errno;
        ::close(m_master);
        errno = saved;
        Fail("grantpt/unlockpt");
    }
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        const int saved = errno;
        ::close(m_master);
        errno = saved;
        Fail("ptsname_r");
    }
    m_slavePath = name;

    // Keep one handle on the slave in raw mode, so that the line neither echoes nor translates
    // before the reader opens it, and a reader that closes and reopens finds it unchanged.
    m_slaveKeeper = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveKeeper >= 0) {
        termios tio{};
        if (::tcgetattr(m_slaveKeeper, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_slaveKeeper, TCSANOW, &tio);
        }
    }

    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
        if (::symlink(m_slavePath.c_str(), linkPath.c_str()) != 0) {
            const int saved = errno;
            Close();
            errno = saved;
            Fail("symlink");
        }
        m_linkPath = std::move(linkPath);
    }
}

PseudoTerminal::~PseudoTerminal()
{
    Close();
}

std::size_t PseudoTerminal::Write(std::span<const std::uint8_t> bytes)
{
    std::size_t written = 0;
    while (m_master >= 0 && written < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + written, bytes.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // full (EAGAIN) or hung up: the rest is lost, as on a real line
        }
    }
    return written;
}

void PseudoTerminal::Close()
{
    if (!m_linkPath.empty()) {
        ::unlink(m_linkPath.c_str());
        m_linkPath.clear();
    }
    if (m_slaveKeeper >= 0) {
        ::close(m_slaveKeeper);
        m_slaveKeeper = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

}  // namespace trelvo::tools
