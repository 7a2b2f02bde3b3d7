#pragma once

#include "serial/line_settings.h"
#include "serial/tty.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QSocketNotifier;

namespace trelvo::serial {

// The line to the unit: one reader of one device. Opens and closes it, hands on what arrives, and
// notices when the device goes away, then tries to open it again every kReopenMilliseconds,
// silently, until it is back or the program opens or closes the line itself.
//
// Reading: the first byte after a quiet spell is handed on at once; while bytes keep coming they
// are collected once per display frame (kFrameMilliseconds), so a busy line wakes the program
// about thirty times a second, and each wake-up reads, decodes and paints what arrived in it. A
// quiet line costs nothing. Everything runs on the thread that owns the object.
class SerialLine final : public QObject {
    Q_OBJECT

public:
    // Called with each batch of bytes, in arrival order.
    using Receiver = std::function<void(std::span<const std::uint8_t>)>;

    explicit SerialLine(QObject* parent = nullptr);
    ~SerialLine() override;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    void SetReceiver(Receiver receiver) { m_receiver = std::move(receiver); }

    // Closes whatever is open, then opens the device at the unit's line settings; throws CommError.
    void Open(const std::string& device, const LineSettings& settings = kOximeterLine);
    // Closes the line, if open, and stops any retries.
    void Close();
    [[nodiscard]] bool IsOpen() const noexcept { return m_tty.has_value(); }
    // The device last opened (or being retried).
    [[nodiscard]] const std::string& Device() const noexcept { return m_device; }

    static constexpr int kFrameMilliseconds = 33;
    static constexpr int kReopenMilliseconds = 2000;

    // True while the line waits for a lost device to come back.
    [[nodiscard]] bool Reopening() const noexcept { return m_reopen.isActive(); }
    void SetReopenInterval(int milliseconds) { m_reopen.setInterval(milliseconds); }

signals:
    // The open device went away; the line is closed already. reason is for the log.
    void DeviceLost(const QString& reason);
    // The lost device is open again.
    void DeviceBack();

private:
    void OpenDevice();
    void StopReading();
    void OnReadable();
    void OnCollect();
    // Reads what is waiting and hands it on; false when the device went away (the line is then
    // closed and retrying).
    bool Take();
    void Lose();
    void TryReopen();

    std::optional<TtyDevice> m_tty;
    std::string m_device;
    LineSettings m_settings;
    std::vector<std::uint8_t> m_buffer;
    QSocketNotifier* m_readable = nullptr;  // a child; deleted later, as it may be the caller
    QTimer m_collect;
    QTimer m_reopen;
    Receiver m_receiver;
};

}  // namespace trelvo::serial
