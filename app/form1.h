#pragma once

#include "app/session.h"
#include "core/announcer.h"
#include "core/program_state.h"
#include "core/reading.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTime>
#include <QTimer>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;

namespace trelvo::app {

class Announcement;
class LevelBar;
class ValueLabel;
class WaveView;

// The main window: owns the controls, forwards menu picks to the session and shows what the
// session says. Its layout is in form1_layout.cpp.
class Form1 final : public QMainWindow {
    Q_OBJECT

public:
    // The window of a session it draws and forwards the menu picks to.
    explicit Form1(Session& session, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up, run once while the window is still hidden.
    void Form_Load();
    // Shutdown: close the port and the record file, write the settings; then ProgramEnds. Runs once.
    void Form_Unload();

    // How messages reach the user; tests replace the message box.
    using MessageHandler = std::function<void(const QString& text)>;
    void SetMessageHandler(MessageHandler handler) { m_showMessage = std::move(handler); }

    [[nodiscard]] Session& session() noexcept { return m_session; }
    [[nodiscard]] QLabel& SpO2Field() noexcept;
    // Ticks the language's item in the Language menu (any other base: English).
    void CheckLanguage(std::int32_t base);

signals:
    // The program must end now (End command or the window closed).
    void ProgramEnds();
    // Language > a language; Nights > View Nights.
    void LanguageChosen(std::int16_t base);
    void NightsAsked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    void ApplyColours();
    void BuildMenus();
    void AssignCaptionTags();

    // Handlers
    void menEnde_Click();
    void setCOM_Click(int index);
    void setBeep_Click();
    void menSpeichern_Click();
    void setLang_Click(std::size_t index);
    void setNights_Click();
    void Timer2_Timer();

    // What the session says.
    void ShowUpdate();
    void ShowPortMenu();
    void ShowRecordingState();
    // Tells a screen reader the probe's state or the values, as the announcer decides.
    void Announce(core::Announcer::Tell tell);

    Session& m_session;
    MessageHandler m_showMessage;
    core::Reading m_shown;  // what the value fields show now
    core::Announcer m_announcer;
    QElapsedTimer m_sinceStart;  // the announcer's clock

    QTime CurrentTime;
    QString m_clockText;  // what the clock label shows
    QTimer Timer2;        // clock, once a second
    bool m_unloaded = false;

    ValueLabel* Label1 = nullptr;  // pulse
    ValueLabel* Label2 = nullptr;  // SpO2
    QLabel* Label4 = nullptr;      // probe status
    QLabel* LabTime = nullptr;
    LevelBar* Pulse_bar = nullptr;
    WaveView* spo2wave = nullptr;
    QStatusBar* StsBar1 = nullptr;
    QLabel* m_statusText = nullptr;   // the status bar's one text
    Announcement* m_alert = nullptr;  // the probe's state, told to a screen reader
    Announcement* m_news = nullptr;   // the values and the status line, likewise

    QMenu* menDatei = nullptr;
    QAction* menSpeichern = nullptr;
    QAction* menEnde = nullptr;
    QMenu* menBeep = nullptr;
    QAction* setBeep = nullptr;
    QMenu* menLanguage = nullptr;
    std::vector<QAction*> setLang;  // one per language, in the table's order
    QMenu* menNights = nullptr;
    QAction* setNights = nullptr;
    std::array<QAction*, 8> setCOM{};
};

}  // namespace trelvo::app
