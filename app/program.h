#pragma once

#include "app/eingangsfenster.h"
#include "app/form1.h"
#include "app/session.h"
#include "core/program_state.h"

#include <QObject>

#include <memory>

namespace trelvo::app {

class NightsWindow;

// The program's parts, made once by main: the state its windows share (the language and port
// read from the settings and written back at the end), the start window, and after its OK the
// session that works, the main window that draws it and the nights window once asked for. The
// windows draw and forward; what a choice in one means for the others is decided here.
class Program final : public QObject {
    Q_OBJECT

public:
    // devices: the session's tone, save dialog, clock and sleep guard (tests give their own);
    // showMessage: how the main window's messages reach the user (by default a message box).
    explicit Program(SessionDevices devices = {}, Form1::MessageHandler showMessage = {});
    ~Program() override;

    // Shows the start window; its OK brings up the main window, its End ends the program.
    void Start();
    // The main window on the state as it stands, loaded and shown (what OK does).
    Form1& OpenMain();
    // Logging out or shutting down: the program ends as by File > End; before OK nothing is written.
    void End();

    [[nodiscard]] core::ProgramState& State() noexcept { return m_state; }
    [[nodiscard]] Eingangsfenster& StartWindow() noexcept { return m_start; }
    [[nodiscard]] Form1* Main() noexcept { return m_main.get(); }
    [[nodiscard]] NightsWindow* Nights() noexcept { return m_nights.get(); }

signals:
    // The program is to end now: the start window's End, or the main window's shutdown done.
    void Ended();

private:
    void SwitchLanguage(std::int16_t base);
    void ShowNights();
    void CloseNights();

    core::ProgramState m_state;
    Eingangsfenster m_start;
    SessionDevices m_devices;
    Form1::MessageHandler m_showMessage;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<Form1> m_main;
    std::unique_ptr<NightsWindow> m_nights;
};

}  // namespace trelvo::app
