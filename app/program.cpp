#include "app/program.h"

#include "app/nights_window.h"
#include "app/platform/perf_trace.h"
#include "app/widgets/accessible_faces.h"
#include "lang/language_switch.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace trelvo::app {

Program::Program(SessionDevices devices, Form1::MessageHandler showMessage)
    : m_start(m_state),
      m_devices(std::move(devices)),
      m_showMessage(std::move(showMessage))
{
    InstallAccessibleFaces();
    connect(&m_start, &Eingangsfenster::Ended, this, &Program::Ended);
    connect(&m_start, &Eingangsfenster::Confirmed, this, [this] {
        PerfTrace("ok-pressed");
        OpenMain();
    });
}

// The nights window goes first: it is the main window's child, which would delete it otherwise,
// and the main window before the session it draws.
Program::~Program()
{
    m_nights.reset();
    m_main.reset();
    m_session.reset();
}

void Program::Start()
{
    TraceFirstPaint(m_start, "start-window-shown");
    m_start.Form_Load();
    m_start.show();
}

Form1& Program::OpenMain()
{
    m_session = std::make_unique<Session>(m_state, std::move(m_devices), [this] { return m_main.get(); });
    m_main = std::make_unique<Form1>(*m_session);
    if (m_showMessage)
        m_main->SetMessageHandler(m_showMessage);
    TraceFirstPaint(*m_main, "main-window-shown");
    // Connected after the window's own update, so the field holds the new text then.
    if (PerfTraceOn())
        QObject::connect(m_session.get(), &Session::Updated, &m_main->SpO2Field(), TraceSpO2Field(m_main->SpO2Field()));
    connect(m_main.get(), &Form1::LanguageChosen, this, &Program::SwitchLanguage);
    connect(m_main.get(), &Form1::NightsAsked, this, &Program::ShowNights);
    connect(m_main.get(), &Form1::ProgramEnds, this, [this] {
        CloseNights();
        emit Ended();
    });
    m_main->Form_Load();
    m_main->show();
    return *m_main;
}

void Program::End()
{
    if (m_main)
        m_main->close();
    else
        emit Ended();
}

// The texts of every window switch first and the language is stored after; nothing is written to
// the settings until the program ends.
void Program::SwitchLanguage(std::int16_t base)
{
    lang::ApplyLanguage(base);
    m_main->CheckLanguage(base);
    m_session->SwitchLanguage(base);
    if (m_nights)
        m_nights->SetLanguage(base);
}

// The nights window shows the folder of the recording under way, else the one kept.
void Program::ShowNights()
{
    const auto recordingNow = [this] {
        const std::string& perSecond = m_session->Recorder().PerSecondFileName();
        return perSecond.empty() ? QString() : QFileInfo(QString::fromStdString(perSecond)).absoluteFilePath();
    };
    // A window of the main window's (the desktop keeps them together); this object deletes it first.
    if (!m_nights)
        m_nights = std::make_unique<NightsWindow>(m_state.LanguageBase, recordingNow, m_main.get());
    QString folder = recordingNow().isEmpty() ? settings::LoadNightsFolder() : QFileInfo(recordingNow()).path();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    if (folder != m_nights->Folder() || !m_nights->isVisible())
        m_nights->ShowFolder(folder);
    m_nights->show();
    m_nights->raise();
    m_nights->activateWindow();
}

void Program::CloseNights()
{
    if (m_nights)
        m_nights->close();
}

}  // namespace trelvo::app
