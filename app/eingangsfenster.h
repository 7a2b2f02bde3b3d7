#pragma once

#include "core/program_state.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace trelvo::app {

// The start window: reads the remembered language and port, warns that a PC is not suitable for
// patient monitoring, and lets the user go on (OK) or quit (End, or closing it). Nothing is
// written from here.
class Eingangsfenster final : public QWidget {
    Q_OBJECT

public:
    explicit Eingangsfenster(core::ProgramState& program, QWidget* parent = nullptr);

    // Reads the settings into the program's state and captions the window in that language.
    void Form_Load();

signals:
    // OK: the start window has closed for good; the main window is to be created and shown.
    void Confirmed();
    // End, or the window closed: the program ends, writing nothing.
    void Ended();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OK_Button_Click();
    void CancelButton_Click();

    core::ProgramState& m_program;
    QLabel* Label3 = nullptr;
    QPushButton* OK_Button = nullptr;
    QPushButton* CancelButton = nullptr;
    bool m_confirmed = false;
};

}  // namespace trelvo::app
