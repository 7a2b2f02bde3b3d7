#include "serial/comm_control.h"

#include <QByteArray>
#include <QSocketNotifier>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace trelvo::serial {
namespace {

// Enough for well over a minute of the unit's stream; the receive handler empties it on every
// event, so it only fills when the window is stuck, and then memory stays bounded.
constexpr qint64 kReadBufferSize = 64 * 1024;

QSerialPort::Parity ToQt(Parity p)
{
    switch (p) {
    case Parity::None: return QSerialPort::NoParity;
    case Parity::Even: return QSerialPort::EvenParity;
    case Parity::Odd: return QSerialPort::OddParity;
    case Parity::Mark: return QSerialPort::MarkParity;
    case Parity::Space: return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(StopBits s)
{
    switch (s) {
    case StopBits::One: return QSerialPort::OneStop;
    case StopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
    case StopBits::Two: return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

#ifdef Q_OS_UNIX
// Qt reports a device another program holds and one we may not open alike. Tell them apart, and
// for the second name the group whose members may use the device.
bool MayNotOpen(const std::string& device, std::string& groupName)
{
    if (::access(device.c_str(), R_OK) == 0 || errno != EACCES)
        return false;
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0) {
        if (const struct group* g = ::getgrgid(st.st_gid))
            groupName = g->gr_name;
    }
    return true;
}

bool IsOtherThanADevice(const std::string& device)
{
    struct stat st {};
    return ::stat(device.c_str(), &st) == 0 && !S_ISCHR(st.st_mode);
}
#endif

}  // namespace

CommControl::CommControl(QObject* parent) : QObject(parent)
{
    m_port.setReadBufferSize(kReadBufferSize);
    m_collect.setSingleShot(true);
    m_collect.setInterval(kCollectMilliseconds);
    connect(&m_collect, &QTimer::timeout, this, &CommControl::onCollect);
    m_reopen.setInterval(kReopenMilliseconds);
    connect(&m_reopen, &QTimer::timeout, this, &CommControl::TryReopen);
    connect(&m_port, &QSerialPort::readyRead, this, &CommControl::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CommControl::onErrorOccurred);
}

CommControl::~CommControl()
{
    StopReading();
    m_port.close();
}

void CommControl::SetPortOverrides(PortOverrides overrides)
{
    m_overrides = std::move(overrides);
}

void CommControl::SetCommPort(int n)
{
    m_reopen.stop();
    if (!IsPortNumber(n))
        throw CommError(CommFailure::InvalidPortNumber,
                        "COM" + std::to_string(n) + " is no valid port number (COM1 to COM8)");
    if (PortOpen())
        throw CommError(CommFailure::PortAlreadyOpen, "the port number cannot change while the port is open",
                        DevicePath());
    m_commPort = n;
}

std::string CommControl::DevicePath() const
{
    return serial::DevicePath(m_commPort, m_overrides);
}

void CommControl::SetSettings(std::string_view text)
{
    m_lineSettings = ParseLineSettings(text);
}

void CommControl::SetInputMode(int mode)
{
    if (mode != static_cast<int>(InputMode::Text) && mode != static_cast<int>(InputMode::Binary))
        throw CommError(CommFailure::InvalidProperty, "input mode " + std::to_string(mode) + " is neither 0 nor 1");
    m_inputMode = static_cast<InputMode>(mode);
}

void CommControl::SetRThreshold(int bytes)
{
    if (bytes < 0)
        throw CommError(CommFailure::InvalidProperty, "a receive threshold cannot be negative");
    m_rThreshold = bytes;
}

void CommControl::SetSThreshold(int bytes)
{
    if (bytes < 0)
        throw CommError(CommFailure::InvalidProperty, "a send threshold cannot be negative");
    m_sThreshold = bytes;
}

bool CommControl::PortOpen() const noexcept
{
    return m_port.isOpen();
}

void CommControl::SetPortOpen(bool open)
{
    m_reopen.stop();
    if (!open) {
        StopReading();
        m_port.close();
        return;
    }
    if (PortOpen())
        throw CommError(CommFailure::PortAlreadyOpen, "the port is already open", DevicePath());
    Open();
}

void CommControl::Open()
{
    const std::string device = DevicePath();
    m_port.setPortName(QString::fromStdString(device));
    m_port.setBaudRate(m_lineSettings.baudRate);
    m_port.setParity(ToQt(m_lineSettings.parity));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(m_lineSettings.dataBits));
    m_port.setStopBits(ToQt(m_lineSettings.stopBits));
    m_port.setFlowControl(QSerialPort::NoFlowControl);

    // The program never sends to the unit.
    if (!m_port.open(QIODevice::ReadOnly)) {
        CommError failure = openFailure(m_port.error(), device);
        m_port.clearError();
        throw failure;
    }
    m_commEvent = 0;
    StartReading();
}

CommError CommControl::openFailure(QSerialPort::SerialPortError error, const std::string& device) const
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return {CommFailure::NoSuchDevice, "no such device", device};
    case QSerialPort::PermissionError: {
#ifdef Q_OS_UNIX
        std::string group;
        if (MayNotOpen(device, group)) {
            const std::string who = group.empty() ? std::string("the group that owns it") : "group " + group;
            return {CommFailure::PermissionDenied,
                    "permission denied; add your user to " + who +
                        " (usually dialout: sudo adduser $USER dialout) and log in again",
                    device, group};
        }
#endif
        return {CommFailure::Busy, "busy: another program is using it", device};
    }
    default:
        break;
    }
#ifdef Q_OS_UNIX
    if (IsOtherThanADevice(device))
        return {CommFailure::NotASerialPort, "not a serial port", device};
#endif
    const std::string text = m_port.errorString().toStdString();
    return {CommFailure::Other, text, device, text};
}

void CommControl::StartReading()
{
    m_buffer.clear();
#ifdef Q_OS_UNIX
    // QSerialPort would wake the program for every byte. Its reader is paused and the descriptor
    // read here instead; the two must never both read (Qt takes an empty read for an error), so
    // QSerialPort's own read functions are not called while this reader runs. Should Qt's reader
    // not be found, Qt reads alone, as before.
    int paused = 0;
    for (QSocketNotifier* notifier : m_port.findChildren<QSocketNotifier*>()) {
        if (notifier->type() == QSocketNotifier::Read) {
            notifier->setEnabled(false);
            ++paused;
        }
    }
    if (paused == 1) {
        m_readable = new QSocketNotifier(m_port.handle(), QSocketNotifier::Read, this);
        connect(m_readable, &QSocketNotifier::activated, this, &CommControl::onReadable);
    } else {
        for (QSocketNotifier* notifier : m_port.findChildren<QSocketNotifier*>())
            notifier->setEnabled(true);
    }
#endif
}

void CommControl::StopReading()
{
    m_collect.stop();
    if (m_readable) {
        m_readable->setEnabled(false);
        m_readable->deleteLater();
        m_readable = nullptr;
    }
    m_buffer.clear();
}

bool CommControl::Collect()
{
#ifdef Q_OS_UNIX
    // The port reads in raw mode with no minimum and no timeout: read() returns what is waiting
    // at once, and 0 both for "nothing yet" and for a hang-up, which only poll() tells apart.
    // One read usually empties the line; system calls are the main cost of a collection.
    const int fd = static_cast<int>(m_port.handle());
    char chunk[4096];
    while (m_buffer.size() < kReadBufferSize) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            m_buffer.append(chunk, n);
            if (static_cast<std::size_t>(n) < sizeof chunk)
                return true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        pollfd state{fd, POLLIN, 0};
        if (::poll(&state, 1, 0) < 0)
            return errno == EINTR;
        if (state.revents & (POLLHUP | POLLERR | POLLNVAL))
            return false;
        // Readable although nothing could be read: the end of the line.
        return !(state.revents & POLLIN);
    }
#endif
    return true;
}

void CommControl::onReadable()
{
    // The first byte after a quiet spell: deliver it at once, then collect on a timer.
    m_readable->setEnabled(false);
    if (!Collect()) {
        Lose(QStringLiteral("the device stopped answering (unplugged or switched off)"));
        return;
    }
    Raise();
    if (PortOpen())
        m_collect.start();
}

void CommControl::onCollect()
{
    const qsizetype before = m_buffer.size();
    if (!Collect()) {
        Lose(QStringLiteral("the device stopped answering (unplugged or switched off)"));
        return;
    }
    const bool arrived = m_buffer.size() > before;
    if (arrived)
        Raise();
    if (!PortOpen())
        return;
    // Still busy: keep collecting; quiet again: wait for the next byte.
    if (arrived)
        m_collect.start();
    else if (m_readable)
        m_readable->setEnabled(true);
}

void CommControl::Raise()
{
    if (m_rThreshold <= 0 || InBufferCount() < m_rThreshold)
        return;
    m_commEvent = core::kCommEventReceive;
    emit OnComm();
}

void CommControl::Lose(const QString& reason)
{
    if (!PortOpen())
        return;
    StopReading();
    m_port.clearError();
    m_port.close();
    m_reopen.start();
    emit DeviceLost(reason);
}

void CommControl::TryReopen()
{
    try {
        Open();
    } catch (const CommError&) {
        return;  // still gone: try again at the next interval
    }
    m_reopen.stop();
    emit DeviceBack();
}

int CommControl::InBufferCount() const
{
    return static_cast<int>(m_readable ? m_buffer.size() : m_port.bytesAvailable());
}

std::vector<std::uint8_t> CommControl::Input()
{
    const QByteArray bytes = m_readable ? std::exchange(m_buffer, {}) : m_port.readAll();
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    return {first, first + bytes.size()};
}

void CommControl::onReadyRead()
{
    Raise();
}

void CommControl::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    // Left open, the port would report the same error again and again at full CPU. Qt's own
    // text here often carries a stale system error ("Inappropriate ioctl"), so say it plainly.
    Lose(QStringLiteral("the device stopped answering (unplugged or switched off)"));
}

}  // namespace trelvo::serial
