#include "serial/serial_line.h"

#include <QSocketNotifier>

namespace trelvo::serial {
namespace {

// Enough for well over a minute of the unit's stream; bytes are handed on at every batch, so this
// only fills when the program is stuck, and then memory stays bounded.
constexpr std::size_t kReadLimit = 64 * 1024;

}  // namespace

SerialLine::SerialLine(QObject* parent) : QObject(parent)
{
    m_buffer.reserve(4096);
    // While the line is busy the collection repeats on its own, one wake-up per frame.
    m_collect.setInterval(kFrameMilliseconds);
    connect(&m_collect, &QTimer::timeout, this, &SerialLine::OnCollect);
    m_reopen.setInterval(kReopenMilliseconds);
    connect(&m_reopen, &QTimer::timeout, this, &SerialLine::TryReopen);
}

SerialLine::~SerialLine()
{
    StopReading();
}

void SerialLine::Open(const std::string& device, const LineSettings& settings)
{
    Close();
    m_device = device;
    m_settings = settings;
    OpenDevice();
}

void SerialLine::Close()
{
    m_reopen.stop();
    StopReading();
    m_tty.reset();
}

void SerialLine::OpenDevice()
{
    m_tty = TtyDevice::Open(m_device, m_settings);
    m_readable = new QSocketNotifier(m_tty->Descriptor(), QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &SerialLine::OnReadable);
}

void SerialLine::StopReading()
{
    m_collect.stop();
    if (m_readable) {
        m_readable->setEnabled(false);
        m_readable->deleteLater();
        m_readable = nullptr;
    }
    m_buffer.clear();
}

bool SerialLine::Take()
{
    m_buffer.clear();
    const TtyDevice::ReadState state = m_tty->ReadWaiting(m_buffer, kReadLimit);
    if (!m_buffer.empty() && m_receiver)
        m_receiver(m_buffer);
    if (state == TtyDevice::ReadState::Gone && m_tty) {
        Lose();
        return false;
    }
    return true;
}

void SerialLine::OnReadable()
{
    // The first byte after a quiet spell: hand it on at once, then collect once a frame.
    m_readable->setEnabled(false);
    if (!Take() || !m_tty)
        return;
    m_collect.start();
}

void SerialLine::OnCollect()
{
    if (!m_tty || !Take() || !m_tty)
        return;
    // Quiet again: stop collecting and wait for the next byte.
    if (m_buffer.empty()) {
        m_collect.stop();
        if (m_readable)
            m_readable->setEnabled(true);
    }
}

void SerialLine::Lose()
{
    StopReading();
    m_tty.reset();
    m_reopen.start();
    emit DeviceLost(QStringLiteral("the device stopped answering (unplugged or switched off)"));
}

void SerialLine::TryReopen()
{
    try {
        OpenDevice();
    } catch (const CommError&) {
        return;  // still gone: try again at the next interval
    }
    m_reopen.stop();
    emit DeviceBack();
}

}  // namespace trelvo::serial
