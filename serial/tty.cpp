#include "serial/tty.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace trelvo::serial {
namespace {

std::string GroupOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        if (const struct group* g = ::getgrgid(st.st_gid))
            return g->gr_name;
    return {};
}

CommError Failure(int error, const std::string& path)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return {CommFailure::NoSuchDevice, "no such device", path};
    case EBUSY:
    case EWOULDBLOCK: return {CommFailure::Busy, "busy: another program is using it", path};
    case EACCES:
    case EPERM: {
        const std::string group = GroupOf(path);
        const std::string who = group.empty() ? std::string("the group that owns it") : "group " + group;
        return {CommFailure::PermissionDenied,
                "permission denied; add your user to " + who +
                    " (usually dialout: sudo adduser $USER dialout) and log in again",
                path, group};
    }
    case ENOTTY: return {CommFailure::NotASerialPort, "not a serial port", path};
    default: break;
    }
    const std::string text = std::strerror(error);
    return {CommFailure::Other, text, path, text};
}

speed_t Speed(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

tcflag_t CharacterSize(int bits)
{
    switch (bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

// Raw bytes at the line's settings; read() returns at once with what is waiting.
bool Configure(int fd, const LineSettings& settings)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | CharacterSize(settings.dataBits);
    if (settings.parity != Parity::None)
        tio.c_cflag |= PARENB | (settings.parity == Parity::Odd ? PARODD : 0);
    if (settings.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = Speed(settings.baudRate);
    if (speed == B0) {
        errno = EINVAL;
        return false;
    }
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

TtyDevice TtyDevice::Open(const std::string& path, const LineSettings& settings)
{
    // Read only: the program never sends to the unit.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw Failure(errno, path);
    TtyDevice device(fd);

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw Failure(errno, path);
    if (!S_ISCHR(st.st_mode))
        throw Failure(ENOTTY, path);
    if (!::isatty(fd))
        throw Failure(ENOTTY, path);
    // flock holds against any program that asks the same, root included; TIOCEXCL makes the
    // kernel refuse other opens of the terminal (except root's).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        throw Failure(errno == EWOULDBLOCK ? EBUSY : errno, path);
    if (::ioctl(fd, TIOCEXCL) != 0)
        throw Failure(errno, path);
    if (!Configure(fd, settings))
        throw Failure(errno, path);
    return device;
}

TtyDevice::TtyDevice(TtyDevice&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

TtyDevice& TtyDevice::operator=(TtyDevice&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

TtyDevice::~TtyDevice()
{
    Close();
}

void TtyDevice::Close() noexcept
{
    if (m_fd < 0)
        return;
    (void)::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);  // the flock goes with the descriptor
    m_fd = -1;
}

TtyDevice::ReadState TtyDevice::ReadWaiting(std::vector<std::uint8_t>& buffer, std::size_t limit)
{
    // Raw mode with no minimum and no timeout: read() returns what is waiting at once, and 0 both
    // for "nothing yet" and for a hang-up, which only poll() tells apart. One read usually empties
    // the line; system calls are the main cost here.
    std::uint8_t chunk[4096];
    bool readableButEmpty = false;
    while (buffer.size() < limit) {
        const std::size_t room = std::min(sizeof chunk, limit - buffer.size());
        const ssize_t n = ::read(m_fd, chunk, room);
        if (n > 0) {
            buffer.insert(buffer.end(), chunk, chunk + n);
            readableButEmpty = false;
            if (static_cast<std::size_t>(n) < room)
                return ReadState::Open;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return ReadState::Gone;  // EIO: the far end is gone
        pollfd state{m_fd, POLLIN, 0};
        if (::poll(&state, 1, 0) < 0)
            return errno == EINTR ? ReadState::Open : ReadState::Gone;
        if (state.revents & (POLLHUP | POLLERR | POLLNVAL))
            return ReadState::Gone;
        if (!(state.revents & POLLIN))
            return ReadState::Open;
        // Readable although nothing could be read: a byte may have come in between, so read once
        // more; readable and empty twice in a row is the end of the line.
        if (readableButEmpty)
            return ReadState::Gone;
        readableButEmpty = true;
    }
    return ReadState::Open;
}

}  // namespace trelvo::serial
