#include "app/session.h"

#include "app/platform/alsa_beep.h"
#include "app/platform/recording_adapters.h"
#include "lang/string_table.h"
#include "settings/settings_store.h"

#include <QFileInfo>
#include <QString>

#include <cstdio>

namespace trelvo::app {
namespace {

QString FromUtf8(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The record file is plain 8-bit text in the system's encoding.
std::string SystemEncoding(std::string_view utf8)
{
    return FromUtf8(utf8).toLocal8Bit().toStdString();
}

template <class T, class Default>
std::unique_ptr<T> OrDefault(std::unique_ptr<T> given, Default make)
{
    return given ? std::move(given) : make();
}

std::size_t Index(int n)
{
    return static_cast<std::size_t>(n - 1);
}

}  // namespace

QString PortFailureReason(std::int16_t languageBase, const serial::CommError& error)
{
    using lang::Message;
    using serial::CommFailure;
    const auto text = [languageBase](Message m, std::initializer_list<std::string_view> values = {}) {
        return QString::fromStdString(lang::MessageText(languageBase, m, values));
    };
    switch (error.failure()) {
    case CommFailure::NoSuchDevice: return text(Message::PortNoSuchDevice);
    case CommFailure::Busy: return text(Message::PortBusy);
    case CommFailure::PermissionDenied:
        return text(Message::PortPermissionDenied, {error.detail().empty() ? "dialout" : error.detail()});
    case CommFailure::NotASerialPort: return text(Message::PortNotASerialPort);
    case CommFailure::InvalidPortNumber: return text(Message::PortInvalidNumber);
    case CommFailure::Other: break;
    }
    return QString::fromStdString(error.reason());
}

Session::Session(core::ProgramState& program, SessionDevices devices, std::function<QWidget*()> dialogParent)
    : m_program(program),
      m_toneOutput(OrDefault(std::move(devices.tone), [] { return std::make_unique<AlsaBeep>(); })),
      m_saveDialog(OrDefault(std::move(devices.saveDialog),
                             [&dialogParent] { return std::make_unique<FileSaveDialog>(std::move(dialogParent)); })),
      m_clock(OrDefault(std::move(devices.clock), [] { return std::make_unique<SystemClock>(); })),
      m_sleepGuard(OrDefault(std::move(devices.sleepGuard), [] { return std::make_unique<SleepGuard>(); })),
      m_portSelection(m_line, *this, settings::LoadPortOverrides()),
      m_pipeline(program.LanguageBase, *m_toneOutput),
      m_recordStore(SystemEncoding),
      m_recorder(program, *m_clock, *m_saveDialog, m_recordStore, *this)
{
    m_line.setObjectName(QStringLiteral("MSComm1"));
    m_line.SetReceiver([this](std::span<const std::uint8_t> bytes) { Decode(bytes); });
    m_pipeline.SetTap(&m_recorder);
    connect(&m_line, &serial::SerialLine::DeviceLost, this, [this](const QString& reason) {
        std::fprintf(stderr, "trelvo: COM%d (%s): %s\n", m_program.PortNumber, m_line.Device().c_str(),
                     qPrintable(reason));
    });
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n)
        m_ports[Index(n)] = {true, n == 1, QString::fromStdString(m_portSelection.DevicePath(n))};

    // Both tick from the session's creation to the program's end.
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer3.setObjectName(QStringLiteral("Timer3"));
    Timer1.setInterval(500);
    Timer3.setInterval(700);
    connect(&Timer1, &QTimer::timeout, this, &Session::RecordingTick);
    connect(&Timer3, &QTimer::timeout, this, &Session::WatchdogTick);
    Timer1.start();
    Timer3.start();
}

Session::~Session() = default;

void Session::Start()
{
    // A port that does not open at start-up stays silent: the no-data warning shows instead.
    const serial::PortSelection::StartUp opened = m_portSelection.InitSerialPort(m_program.PortNumber);
    if (opened.failure)
        std::fprintf(stderr, "trelvo: no port opened at start-up: %s\n", opened.failure->what());
    else
        m_program.PortNumber = opened.port;
    m_pipeline.Tone().SetOn(false);
    SetStatusText(lang::RecordingStatus(m_program.LanguageBase, false, {}));
    emit Updated();
}

void Session::Shutdown()
{
    if (m_ended)
        return;
    m_ended = true;
    m_line.Close();
    m_recorder.CloseRecordFile();
    if (!settings::SaveOptions({m_program.LanguageBase, m_program.PortNumber}))
        std::fprintf(stderr, "trelvo: the settings could not be saved\n");
    // Nothing may run after this: no tick, no bytes.
    Timer1.stop();
    Timer3.stop();
    emit Ended();
}

void Session::SelectPort(int n)
{
    try {
        m_program.PortNumber = m_portSelection.OpenPort(static_cast<std::uint8_t>(n));
    } catch (const serial::CommError& e) {
        const std::string device = e.device().empty() ? std::string("-") : e.device();
        emit Message(QString::fromStdString(lang::MessageText(
            m_program.LanguageBase, lang::Message::PortOpenFailed,
            {std::to_string(n), device, PortFailureReason(m_program.LanguageBase, e).toStdString()})));
    }
}

// The language is stored after the window has re-captioned its controls; the status bar and the
// Port menu's tooltips follow at once, the value fields with their next update.
void Session::SwitchLanguage(std::int16_t base)
{
    m_program.LanguageBase = base;
    m_pipeline.SetLanguage(base);
    SetStatusText(lang::RecordingStatus(base, m_program.Recording, m_program.RecordFileName));
    UpdatePortToolTips();
}

void Session::WatchdogTick()
{
    m_pipeline.WatchdogTick();
    emit Updated();
}

void Session::Decode(std::span<const std::uint8_t> bytes)
{
    m_pipeline.Decode(bytes, m_clock->EpochSeconds());
    emit Updated();
}

QString Session::PortToolTip(int n) const
{
    const auto& failure = m_portFailures[Index(n)];
    if (!failure)
        return QString::fromStdString(m_portSelection.DevicePath(n));
    return QString::fromStdString(
        lang::MessageText(m_program.LanguageBase, lang::Message::PortUnusableTip,
                          {failure->device(), PortFailureReason(m_program.LanguageBase, *failure).toStdString()}));
}

void Session::UpdatePortToolTips()
{
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n)
        m_ports[Index(n)].toolTip = PortToolTip(n);
    emit PortMenuChanged();
}

void Session::SetPortEnabled(int n, bool enabled)
{
    m_ports.at(Index(n)).enabled = enabled;
    emit PortMenuChanged();
}

bool Session::PortEnabled(int n) const
{
    return m_ports.at(Index(n)).enabled;
}

void Session::SetPortChecked(int n, bool checked)
{
    m_ports.at(Index(n)).checked = checked;
    emit PortMenuChanged();
}

void Session::SetPortUnusable(int n, const serial::CommError& why)
{
    m_portFailures.at(Index(n)) = why;
    m_ports[Index(n)].toolTip = PortToolTip(n);
    emit PortMenuChanged();
}

void Session::SetPortUsable(int n, const std::string& /*device*/)
{
    m_portFailures.at(Index(n)).reset();
    m_ports[Index(n)].toolTip = PortToolTip(n);
    emit PortMenuChanged();
}

void Session::SetSaveChecked(bool checked)
{
    m_saveChecked = checked;
    emit RecordingChanged();
}

void Session::SetStatusText(std::string_view utf8)
{
    m_statusText = FromUtf8(utf8);
    emit RecordingChanged();
}

void Session::ShowMessage(std::string_view utf8)
{
    emit Message(FromUtf8(utf8));
}

void Session::SetRecordingActive(bool active)
{
    if (active) {
        m_sleepGuard->Take(QStringLiteral("Recording the oximeter's readings"));
        // The nights window opens on the folder of the last recording.
        (void)settings::SaveNightsFolder(
            QFileInfo(QString::fromStdString(m_recorder.PerSecondFileName())).absolutePath());
    } else
        m_sleepGuard->Release();
}

}  // namespace trelvo::app
