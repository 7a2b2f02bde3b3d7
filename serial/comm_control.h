#pragma once

#include "core/receive.h"
#include "serial/comm_error.h"
#include "serial/line_settings.h"
#include "serial/port_map.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QSocketNotifier;

namespace trelvo::serial {

// Binary: Input yields the received bytes unchanged. Text mode is accepted for completeness;
// this component never converts through a character set, so both deliver the same bytes.
enum class InputMode { Text = 0, Binary = 1 };

// The serial communications control of the main window, over QSerialPort. Properties are
// applied at the next open; the receive notification OnComm comes on the thread that owns the
// object (the user-interface thread) as soon as RThreshold bytes are waiting.
//
// Failures are thrown as CommError. When the device goes away while open (cable pulled, far end
// of a pseudo-terminal closed) the port is closed on the first error, so nothing spins, and
// DeviceLost says why. The component then tries to open the same device again every
// kReopenMilliseconds, silently, until it is back (DeviceBack) or the program sets the port
// number or the open state itself.
//
// Reading: the first byte after a quiet spell is delivered at once; while bytes keep coming they
// are collected every kCollectMilliseconds, so a busy line wakes the program about a hundred times
// a second instead of once per byte. QSerialPort opens, configures, locks and closes the port.
class CommControl final : public QObject, public core::CommInput {
    Q_OBJECT

public:
    explicit CommControl(QObject* parent = nullptr);
    ~CommControl() override;

    CommControl(const CommControl&) = delete;
    CommControl& operator=(const CommControl&) = delete;

    // Device paths that replace the default port map. Takes effect at the next open.
    void SetPortOverrides(PortOverrides overrides);
    [[nodiscard]] const PortOverrides& PortOverridesInUse() const noexcept { return m_overrides; }

    // 1..8; only while closed.
    void SetCommPort(int n);
    [[nodiscard]] int CommPort() const noexcept { return m_commPort; }
    // The device the current CommPort stands for.
    [[nodiscard]] std::string DevicePath() const;

    void SetSettings(std::string_view text);
    [[nodiscard]] std::string Settings() const { return FormatLineSettings(m_lineSettings); }

    void SetInputMode(int mode);
    [[nodiscard]] InputMode GetInputMode() const noexcept { return m_inputMode; }
    // Bytes that must be waiting before OnComm is raised; 0 raises no receive events.
    void SetRThreshold(int bytes);
    [[nodiscard]] int RThreshold() const noexcept { return m_rThreshold; }
    // Kept for completeness: the program never transmits, so it raises nothing.
    void SetSThreshold(int bytes);
    [[nodiscard]] int SThreshold() const noexcept { return m_sThreshold; }

    // true opens the selected port with the current settings (throws CommError on failure);
    // false closes it and does nothing on a closed port.
    void SetPortOpen(bool open);
    [[nodiscard]] bool PortOpen() const noexcept;

    [[nodiscard]] int CommEvent() const noexcept override { return m_commEvent; }
    [[nodiscard]] int InBufferCount() const override;
    [[nodiscard]] std::vector<std::uint8_t> Input() override;

    static constexpr int kCollectMilliseconds = 10;
    static constexpr int kReopenMilliseconds = 2000;

    // True while the component waits for a lost device to come back.
    [[nodiscard]] bool Reopening() const noexcept { return m_reopen.isActive(); }
    void SetReopenInterval(int milliseconds) { m_reopen.setInterval(milliseconds); }

signals:
    void OnComm();
    // The open device went away; the port is closed already. reason is for the user.
    void DeviceLost(const QString& reason);
    // The lost device is open again.
    void DeviceBack();

private:
    void onReadyRead();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void onReadable();
    void onCollect();
    // Moves what the device has into the buffer; false when the device is gone.
    bool Collect();
    void StartReading();
    void StopReading();
    void Raise();
    void Lose(const QString& reason);
    void TryReopen();
    void Open();
    [[nodiscard]] CommError openFailure(QSerialPort::SerialPortError error, const std::string& device) const;

    QSerialPort m_port;
    QByteArray m_buffer;  // received, not yet taken by Input()
    QSocketNotifier* m_readable = nullptr;  // a child; deleted later, as it may be the caller
    QTimer m_collect;
    QTimer m_reopen;
    PortOverrides m_overrides;
    int m_commPort = kFirstPort;
    LineSettings m_lineSettings;
    InputMode m_inputMode = InputMode::Text;
    int m_rThreshold = 0;
    int m_sThreshold = 0;
    int m_commEvent = 0;
};

}  // namespace trelvo::serial
