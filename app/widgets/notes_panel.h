#pragma once

#include "report/night/marks.h"

#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace trelvo::app {

// What a person writes of the night shown: a note, tags, and stretches marked as not to be
// counted, with undo. It only edits: every change is handed on (Changed) to be written.
class NotesPanel final : public QWidget {
    Q_OBJECT

public:
    NotesPanel(std::int16_t languageBase, QWidget* parent);
    void SetLanguage(std::int16_t base);

    // The notes of a night whose axis starts at the midnight of firstDay, as its file holds them;
    // unreadable: why that file could not be read (shown, and the file is kept when written).
    // Nothing: no night is shown.
    void SetNotes(const std::optional<report::NightNotes>& notes, report::CivilDate firstDay,
                  const QString& unreadable);
    [[nodiscard]] const report::NightNotes& Notes() const noexcept { return m_notes; }

    // Marks a stretch of the night's axis: asks for its ends and its reason, then changes.
    void AskToMark(double from, double to, double nightStart, double nightEnd);
    // Marks without asking (the dialog's OK).
    void Mark(double from, double to, const std::string& reason);
    void Undo();
    [[nodiscard]] bool CanUndo() const noexcept { return !m_undo.empty(); }
    // The note being typed is taken now (it is otherwise taken a moment after typing stops).
    void TakeNote();

    [[nodiscard]] QPlainTextEdit& NoteEdit() noexcept { return *txtNote; }

    static constexpr int kNoteIdleMs = 1500;

signals:
    // The person changed the notes: they are to be written whole.
    void Changed(const report::NightNotes& notes);
    // The person wants the stretch shown marked.
    void MarkShownAsked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Change(report::NightNotes next);
    void ShowNotes();
    [[nodiscard]] QString T(int offset) const;
    void Caption();

    // Handlers
    void cmdMark_Click();
    void cmdUnmark_Click();
    void cmdUndo_Click();

    std::int16_t m_language;
    report::NightNotes m_notes;
    report::CivilDate m_firstDay;
    std::vector<report::NightNotes> m_undo;
    bool m_showing = false;  // the controls are being filled, not edited

    QLabel* m_unreadable = nullptr;
    QLabel* lblNote = nullptr;
    QPlainTextEdit* txtNote = nullptr;
    QLabel* lblTags = nullptr;
    QListWidget* lstTags = nullptr;  // one checkable row a tag
    QLabel* lblMarks = nullptr;
    QListWidget* lstMarks = nullptr;
    QPushButton* cmdMark = nullptr;
    QPushButton* cmdUnmark = nullptr;
    QPushButton* cmdUndo = nullptr;
    QTimer* m_noteIdle = nullptr;
};

// Asks for a stretch's ends (on the night's clock) and its reason; nothing when cancelled.
[[nodiscard]] std::optional<report::MarkedStretch> AskForStretch(QWidget* parent, std::int16_t language,
                                                                 const report::MarkedStretch& proposed,
                                                                 const report::MarkedStretch& night);

}  // namespace trelvo::app
