#pragma once

#include "core/decoder.h"
#include "core/display.h"
#include "core/measurement.h"
#include "core/program_state.h"
#include "core/tone.h"
#include "core/trace.h"
#include "core/watchdog.h"
#include "recording/recorder.h"
#include "serial/comm_control.h"
#include "serial/port_selection.h"
#include "app/sleep_guard.h"

#include <QMainWindow>
#include <QTime>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;

namespace trelvo::app {

class FrameClock;
class LevelBar;
class WaveView;

// The main window: a switchboard between the controls and the code of each area. It owns the
// serial component, the decoder's state and the timers; what they do lives in core/, serial/,
// lang/ and settings/.
// What the window talks to besides its own controls; tests replace them.
struct Form1Devices {
    std::unique_ptr<core::ToneOutput> tone;              // default: the ALSA device
    std::unique_ptr<recording::SaveDialog> saveDialog;   // default: Qt's save dialog
    std::unique_ptr<recording::Clock> clock;             // default: the system clock
    std::unique_ptr<SleepGuard> sleepGuard;              // default: logind, else the screen saver
};

class Form1 final : public QMainWindow,
                    public core::MeasurementSink,
                    public core::ValueFields,
                    private serial::PortMenu,
                    private recording::FieldCaptions,
                    private recording::RecordingView {
    Q_OBJECT

public:
    explicit Form1(core::ProgramState& program, Form1Devices devices = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up, run once while the window is still hidden.
    void Form_Load();
    // Shutdown: close the port and the record file, write the settings; then ProgramEnds. Runs once.
    void Form_Unload();

    // How messages reach the user; tests replace the message box.
    using MessageHandler = std::function<void(const QString& text)>;
    void SetMessageHandler(MessageHandler handler) { m_showMessage = std::move(handler); }

    [[nodiscard]] serial::CommControl& MSComm1() noexcept { return m_comm; }
    [[nodiscard]] const core::MeasurementState& Measurement() const noexcept { return m_measurement; }

    // MeasurementSink
    void ShowMeasurement() override;
    void SoundPulseTone() override;
    void DrawWaveSample(std::int16_t sample) override;
    void ShowPulseBar(std::int16_t sample) override;

    // ValueFields
    void SetCaption(core::Field field, std::string_view utf8) override;
    void SetToolTip(core::Field field, std::string_view utf8) override;
    void SetPulseBar(double value) override;
    void SetBackColor(core::Field field, core::Colour colour) override;

signals:
    // The program must end now (End command or the window closed).
    void ProgramEnds();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    [[nodiscard]] QLabel* FieldLabel(core::Field field) const;

    // Handlers
    void menEnde_Click();
    void setCOM_Click(int index);
    void setBeep_Click();
    void menSpeichern_Click();
    void setLangGerman_Click();
    void setLangEnglish_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void MSComm1_OnComm();

    // PortMenu
    void SetPortEnabled(int n, bool enabled) override;
    [[nodiscard]] bool PortEnabled(int n) const override;
    void SetPortChecked(int n, bool checked) override;
    void SetPortUnusable(int n, const serial::CommError& why) override;
    void SetPortUsable(int n, const std::string& device) override;

    // FieldCaptions
    [[nodiscard]] std::string Caption(core::Field field) const override;

    // RecordingView
    void SetSaveChecked(bool checked) override;
    void SetStatusText(std::string_view utf8) override;
    void ShowMessage(std::string_view utf8) override;
    void SetRecordingActive(bool active) override;

    core::ProgramState& m_program;
    core::MeasurementState m_measurement;
    serial::CommControl m_comm;  // MSComm1
    serial::SerialInterface m_serial;
    core::BasicDecoder<Form1> m_decoder;
    std::unique_ptr<core::ToneOutput> m_toneOutput;
    core::PulseTone m_tone;
    core::NoDataWatchdog m_watchdog;
    std::unique_ptr<core::WaveTrace> m_trace;  // made with its surface
    std::unique_ptr<recording::SaveDialog> m_saveDialog;
    std::unique_ptr<recording::Clock> m_clock;
    recording::DiskRecordStore m_recordStore;
    recording::Recorder m_recorder;
    std::unique_ptr<SleepGuard> m_sleepGuard;
    MessageHandler m_showMessage;
    bool m_unloaded = false;

    FrameClock* m_frames = nullptr;
    QTime CurrentTime;
    QTimer Timer1;  // recording tick, 500 ms
    QTimer Timer2;  // clock, 200 ms
    QTimer Timer3;  // no-data watchdog, 700 ms

    QLabel* Label1 = nullptr;  // pulse
    QLabel* Label2 = nullptr;  // SpO2
    QLabel* Label4 = nullptr;  // probe status
    QLabel* LabTime = nullptr;
    LevelBar* Pulse_bar = nullptr;
    WaveView* spo2wave = nullptr;
    QStatusBar* StsBar1 = nullptr;

    QAction* menSpeichern = nullptr;
    QAction* menEnde = nullptr;
    QAction* setBeep = nullptr;
    QAction* setLangGerman = nullptr;
    QAction* setLangEnglish = nullptr;
    std::array<QAction*, 8> setCOM{};
};

}  // namespace trelvo::app
