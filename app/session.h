#pragma once

#include "app/platform/sleep_guard.h"
#include "core/pipeline.h"
#include "core/program_state.h"
#include "core/tone.h"
#include "recording/record_file.h"
#include "recording/recorder.h"
#include "serial/comm_error.h"
#include "serial/port_selection.h"
#include "serial/serial_line.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace trelvo::app {

// What a session talks to besides the unit; tests replace them.
struct SessionDevices {
    std::unique_ptr<core::ToneOutput> tone;             // default: the ALSA device
    std::unique_ptr<recording::SaveDialog> saveDialog;  // default: Qt's save dialog
    std::unique_ptr<recording::Clock> clock;            // default: the system clock
    std::unique_ptr<SleepGuard> sleepGuard;             // default: logind, else the desktop
};

// One Port menu item as the window shows it.
struct PortItem {
    bool enabled = true;
    bool checked = false;
    QString toolTip;  // the device, or why it cannot be used
};

// The program at work, without a window: the line to the unit, the measurement pipeline, the
// recorder, the sleep guard and the recording and watchdog timers. It offers the menu commands as
// functions and tells the window what to show; the window only draws and forwards.
class Session final : public QObject, private serial::PortMenu, private recording::RecordingView {
    Q_OBJECT

public:
    // dialogParent: the window the save dialog belongs to when it is shown.
    Session(core::ProgramState& program, SessionDevices devices, std::function<QWidget*()> dialogParent = {});
    ~Session() override;

    // Start-up: finds the ports and opens one; the pulse tone is off, recording too.
    void Start();
    // Shutdown: closes the line and the record file, writes the settings, stops the timers, then
    // Ended. Runs once.
    void Shutdown();

    // The menu commands.
    void SelectPort(int n);
    void ToggleRecording() { m_recorder.Toggle(); }
    void TogglePulseTone() { m_pipeline.Tone().Toggle(); }
    void SwitchLanguage(std::int16_t base);

    // Every 500 ms: a record line when one is due. Every 700 ms: the no-data watchdog.
    void RecordingTick() { m_recorder.Tick(m_pipeline.CurrentReading()); }
    void WatchdogTick();

    [[nodiscard]] const core::ProgramState& State() const noexcept { return m_program; }
    [[nodiscard]] const core::MeasurementPipeline& Pipeline() const noexcept { return m_pipeline; }
    // The trace columns the sweep moved through since last time, handed to be drawn and then
    // forgotten: the window draws them, the session keeps the trace.
    template <class Draw>
    void TakeTraceSteps(Draw&& draw)
    {
        draw(m_pipeline.Trace().PendingSteps());
        m_pipeline.Trace().ClearPendingSteps();
    }
    void SetTraceWidth(float width) { m_pipeline.Trace().SetWidth(width); }
    // The frame-floor benchmark drives the pipeline itself, without a line.
    [[nodiscard]] core::MeasurementPipeline& DrivenPipeline() noexcept { return m_pipeline; }
    [[nodiscard]] const core::Reading& CurrentReading() const noexcept { return m_pipeline.CurrentReading(); }
    [[nodiscard]] bool PulseToneOn() const noexcept { return m_pipeline.Tone().On(); }
    [[nodiscard]] const PortItem& Port(int n) const { return m_ports.at(static_cast<std::size_t>(n - 1)); }
    [[nodiscard]] bool SaveChecked() const noexcept { return m_saveChecked; }
    [[nodiscard]] const QString& StatusText() const noexcept { return m_statusText; }
    [[nodiscard]] const serial::SerialLine& Line() const noexcept { return m_line; }
    [[nodiscard]] const recording::Recorder& Recorder() const noexcept { return m_recorder; }

signals:
    // The reading or the trace changed: the window draws them.
    void Updated();
    void PortMenuChanged();
    // The Save check mark or the status bar text changed.
    void RecordingChanged();
    // A message for the user, in the language of the moment.
    void Message(const QString& text);
    void Ended();

private:
    void Decode(std::span<const std::uint8_t> bytes);
    [[nodiscard]] QString PortToolTip(int n) const;
    void UpdatePortToolTips();

    // PortMenu
    void SetPortEnabled(int n, bool enabled) override;
    [[nodiscard]] bool PortEnabled(int n) const override;
    void SetPortChecked(int n, bool checked) override;
    void SetPortUnusable(int n, const serial::CommError& why) override;
    void SetPortUsable(int n, const std::string& device) override;

    // RecordingView
    void SetSaveChecked(bool checked) override;
    void SetStatusText(std::string_view utf8) override;
    void ShowMessage(std::string_view utf8) override;
    void SetRecordingActive(bool active) override;

    core::ProgramState& m_program;
    std::unique_ptr<core::ToneOutput> m_toneOutput;
    std::unique_ptr<recording::SaveDialog> m_saveDialog;
    std::unique_ptr<recording::Clock> m_clock;
    std::unique_ptr<SleepGuard> m_sleepGuard;

    serial::SerialLine m_line;  // MSComm1
    std::array<PortItem, 8> m_ports;
    std::array<std::optional<serial::CommError>, 8> m_portFailures;
    serial::PortSelection m_portSelection;
    core::MeasurementPipeline m_pipeline;
    recording::DiskRecordStore m_recordStore;
    recording::Recorder m_recorder;
    QString m_statusText;
    bool m_saveChecked = false;
    bool m_ended = false;

    QTimer Timer1;  // recording tick, 500 ms
    QTimer Timer3;  // no-data watchdog, 700 ms
};

// Why a port cannot be used, in the language with this base.
[[nodiscard]] QString PortFailureReason(std::int16_t languageBase, const serial::CommError& error);

}  // namespace trelvo::app
