#include "app/widgets/notes_panel.h"

#include "lang/language_switch.h"
#include "lang/string_table.h"
#include "report/words/speech.h"
#include "report/words/summary_text.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace trelvo::app {
namespace {

// The night's clock as a date and time without a zone: the file says the clock as it was shown.
QDateTime ClockOf(report::CivilDate date, int clock)
{
    return QDateTime(QDate(date.year, date.month, date.day), QTime::fromMSecsSinceStartOfDay(clock * 1000), Qt::UTC);
}

std::pair<report::CivilDate, int> FromClock(const QDateTime& t)
{
    return {{t.date().year(), t.date().month(), t.date().day()}, t.time().msecsSinceStartOfDay() / 1000};
}

QString ClockText(int clock)
{
    return QTime::fromMSecsSinceStartOfDay(clock * 1000).toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

NotesPanel::NotesPanel(std::int16_t languageBase, QWidget* parent) : QWidget(parent), m_language(languageBase)
{
    setObjectName(QStringLiteral("pnlNotes"));
    auto* layout = new QVBoxLayout(this);
    m_unreadable = new QLabel(this);
    m_unreadable->setWordWrap(true);
    m_unreadable->hide();
    layout->addWidget(m_unreadable);
    lblNote = new QLabel(this);
    txtNote = new QPlainTextEdit(this);
    txtNote->setObjectName(QStringLiteral("txtNote"));
    txtNote->setTabChangesFocus(true);
    layout->addWidget(lblNote);
    layout->addWidget(txtNote, 1);
    lblTags = new QLabel(this);
    layout->addWidget(lblTags);
    // The tags as one list of checkable rows: one stop for Tab, Space ticks the row.
    lstTags = new QListWidget(this);
    lstTags->setObjectName(QStringLiteral("lstTags"));
    for (std::size_t i = 0; i < std::size(report::kKnownTags); ++i) {
        auto* item = new QListWidgetItem(lstTags);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    lstTags->setMaximumHeight(lstTags->sizeHintForRow(0) * 4 + 2 * lstTags->frameWidth());
    connect(lstTags, &QListWidget::itemChanged, this, [this] {
        if (m_showing)
            return;
        report::NightNotes next = m_notes;
        next.tags.clear();
        for (int i = 0; i < lstTags->count(); ++i)
            if (lstTags->item(i)->checkState() == Qt::Checked)
                next.tags.emplace_back(report::kKnownTags[static_cast<std::size_t>(i)]);
        Change(std::move(next));
    });
    layout->addWidget(lstTags);
    lblMarks = new QLabel(this);
    lstMarks = new QListWidget(this);
    lstMarks->setObjectName(QStringLiteral("lstMarks"));
    layout->addWidget(lblMarks);
    layout->addWidget(lstMarks, 1);
    // Two rows of buttons: at twice the scale the panel is narrow.
    auto* buttons = new QGridLayout;
    cmdMark = new QPushButton(this);
    cmdMark->setObjectName(QStringLiteral("cmdMark"));
    cmdUnmark = new QPushButton(this);
    cmdUnmark->setObjectName(QStringLiteral("cmdUnmark"));
    cmdUndo = new QPushButton(this);
    cmdUndo->setObjectName(QStringLiteral("cmdUndo"));
    buttons->addWidget(cmdMark, 0, 0, 1, 2);
    buttons->addWidget(cmdUnmark, 1, 0);
    buttons->addWidget(cmdUndo, 1, 1);
    layout->addLayout(buttons);
    connect(cmdMark, &QPushButton::clicked, this, &NotesPanel::cmdMark_Click);
    connect(cmdUnmark, &QPushButton::clicked, this, &NotesPanel::cmdUnmark_Click);
    connect(cmdUndo, &QPushButton::clicked, this, &NotesPanel::cmdUndo_Click);
    connect(lstMarks, &QListWidget::currentRowChanged, this,
            [this](int row) { cmdUnmark->setEnabled(isEnabled() && row >= 0); });

    // The note is taken when typing stops for a moment, or the field is left.
    m_noteIdle = new QTimer(this);
    m_noteIdle->setSingleShot(true);
    m_noteIdle->setInterval(kNoteIdleMs);
    connect(m_noteIdle, &QTimer::timeout, this, &NotesPanel::TakeNote);
    connect(txtNote, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_showing)
            m_noteIdle->start();
    });
    txtNote->installEventFilter(this);
    Caption();
    SetNotes(std::nullopt, {}, {});
}

QString NotesPanel::T(int offset) const
{
    return lang::TextOf(m_language, offset);
}

void NotesPanel::SetLanguage(std::int16_t base)
{
    m_language = base;
    Caption();
    ShowNotes();
}

void NotesPanel::Caption()
{
    lblNote->setText(T(lang::text::kNoteName));
    txtNote->setAccessibleName(T(lang::text::kNoteEditName));
    lblTags->setText(T(lang::text::kTagsName));
    const report::Speech speech(m_language);
    m_showing = true;
    for (int i = 0; i < lstTags->count(); ++i)
        lstTags->item(i)->setText(
            QString::fromStdString(report::TagName(report::kKnownTags[static_cast<std::size_t>(i)], speech)));
    m_showing = false;
    lstTags->setAccessibleName(T(lang::text::kTagsName));
    lblMarks->setText(T(lang::text::kMarksName));
    lstMarks->setAccessibleName(T(lang::text::kMarksName));
    cmdMark->setText(T(lang::text::kMarkButton));
    cmdUnmark->setText(T(lang::text::kUnmarkButton));
    cmdUndo->setText(T(lang::text::kUndoButton));
}

void NotesPanel::SetNotes(const std::optional<report::NightNotes>& notes, report::CivilDate firstDay,
                          const QString& unreadable)
{
    m_noteIdle->stop();
    m_undo.clear();
    m_notes = notes.value_or(report::NightNotes{});
    m_firstDay = firstDay;
    setEnabled(notes.has_value());
    m_unreadable->setVisible(!unreadable.isEmpty());
    m_unreadable->setText(T(lang::text::kNotesUnreadable).arg(unreadable));
    ShowNotes();
}

void NotesPanel::ShowNotes()
{
    m_showing = true;
    if (const QString note = QString::fromStdString(m_notes.note); txtNote->toPlainText() != note)
        txtNote->setPlainText(note);
    for (int i = 0; i < lstTags->count(); ++i)
        lstTags->item(i)->setCheckState(std::find(m_notes.tags.begin(), m_notes.tags.end(),
                                                  report::kKnownTags[static_cast<std::size_t>(i)]) != m_notes.tags.end()
                                            ? Qt::Checked
                                            : Qt::Unchecked);
    const int current = lstMarks->currentRow();
    lstMarks->clear();
    for (const report::MarkedStretch& m : m_notes.marks)
        lstMarks->addItem(T(lang::text::kMarkLine)
                              .arg(ClockText(m.fromClock), ClockText(m.toClock), QString::fromStdString(m.reason)));
    lstMarks->setCurrentRow(std::min(current, lstMarks->count() - 1));
    cmdUnmark->setEnabled(isEnabled() && lstMarks->currentRow() >= 0);
    cmdUndo->setEnabled(isEnabled() && CanUndo());
    m_showing = false;
}

void NotesPanel::Change(report::NightNotes next)
{
    if (next == m_notes)
        return;
    m_undo.push_back(std::move(m_notes));
    m_notes = std::move(next);
    ShowNotes();
    emit Changed(m_notes);
}

bool NotesPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtNote && event->type() == QEvent::FocusOut)
        TakeNote();
    return QWidget::eventFilter(watched, event);
}

void NotesPanel::TakeNote()
{
    m_noteIdle->stop();
    if (!isEnabled())
        return;
    report::NightNotes next = m_notes;
    next.note = txtNote->toPlainText().toStdString();
    Change(std::move(next));
}

void NotesPanel::Mark(double from, double to, const std::string& reason)
{
    if (!isEnabled() || !(to > from))
        return;
    // The file keeps whole seconds: a stretch must end a second or more after it begins.
    const report::MarkedStretch mark = report::MarkOf({from, to, reason}, m_firstDay);
    if (report::DaysFromCivil(mark.toDate) * 86400 + mark.toClock <=
        report::DaysFromCivil(mark.fromDate) * 86400 + mark.fromClock)
        return;
    TakeNote();
    report::NightNotes next = m_notes;
    next.marks.push_back(mark);
    Change(std::move(next));
}

void NotesPanel::AskToMark(double from, double to, double nightStart, double nightEnd)
{
    if (!isEnabled())
        return;
    const auto asked = AskForStretch(this, m_language, report::MarkOf({from, to, {}}, m_firstDay),
                                     report::MarkOf({nightStart, nightEnd, {}}, m_firstDay));
    if (!asked)
        return;
    TakeNote();
    report::NightNotes next = m_notes;
    next.marks.push_back(*asked);
    Change(std::move(next));
}

void NotesPanel::Undo()
{
    TakeNote();
    if (m_undo.empty())
        return;
    m_notes = std::move(m_undo.back());
    m_undo.pop_back();
    ShowNotes();
    emit Changed(m_notes);
}

void NotesPanel::cmdMark_Click()
{
    emit MarkShownAsked();
}

void NotesPanel::cmdUnmark_Click()
{
    const int row = lstMarks->currentRow();
    if (row < 0 || row >= static_cast<int>(m_notes.marks.size()))
        return;
    TakeNote();
    report::NightNotes next = m_notes;
    next.marks.erase(next.marks.begin() + row);
    Change(std::move(next));
}

void NotesPanel::cmdUndo_Click()
{
    Undo();
}

std::optional<report::MarkedStretch> AskForStretch(QWidget* parent, std::int16_t language,
                                                   const report::MarkedStretch& proposed,
                                                   const report::MarkedStretch& night)
{
    const auto t = [language](int offset) { return lang::TextOf(language, offset); };
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgMark"));
    dialog.setWindowTitle(t(lang::text::kMarkTitle));
    auto* form = new QFormLayout(&dialog);
    const QString format =
        language == lang::kGerman ? QStringLiteral("dd.MM.yyyy HH:mm:ss") : QStringLiteral("yyyy-MM-dd HH:mm:ss");
    const QDateTime first = ClockOf(night.fromDate, night.fromClock), last = ClockOf(night.toDate, night.toClock);
    const auto edit = [&](const QString& name, const QDateTime& value) {
        auto* e = new QDateTimeEdit(&dialog);
        e->setTimeSpec(Qt::UTC);
        e->setDisplayFormat(format);
        e->setDateTimeRange(first, last);
        e->setDateTime(std::clamp(value, first, last));
        e->setAccessibleName(QString(name).remove(QLatin1Char('&')));
        auto* label = new QLabel(name, &dialog);
        label->setBuddy(e);
        form->addRow(label, e);
        return e;
    };
    QDateTimeEdit* from = edit(t(lang::text::kMarkFrom), ClockOf(proposed.fromDate, proposed.fromClock));
    QDateTimeEdit* to = edit(t(lang::text::kMarkTo), ClockOf(proposed.toDate, proposed.toClock));
    auto* reason = new QComboBox(&dialog);
    reason->setEditable(true);
    for (int r = 0; r < 3; ++r)
        reason->addItem(t(lang::text::kReasons + r));
    reason->setAccessibleName(t(lang::text::kMarkReason).remove(QLatin1Char('&')));
    auto* reasonLabel = new QLabel(t(lang::text::kMarkReason), &dialog);
    reasonLabel->setBuddy(reason);
    form->addRow(reasonLabel, reason);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Cancel)->setText(t(lang::text::kCancel));
    lang::AssignMnemonics(dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    const auto check = [&] {
        buttons->button(QDialogButtonBox::Ok)
            ->setEnabled(from->dateTime() < to->dateTime() && !reason->currentText().trimmed().isEmpty());
    };
    QObject::connect(from, &QDateTimeEdit::dateTimeChanged, &dialog, check);
    QObject::connect(to, &QDateTimeEdit::dateTimeChanged, &dialog, check);
    QObject::connect(reason, &QComboBox::currentTextChanged, &dialog, check);
    check();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const auto [fromDate, fromClock] = FromClock(from->dateTime());
    const auto [toDate, toClock] = FromClock(to->dateTime());
    return report::MarkedStretch{fromDate, toDate, fromClock, toClock, reason->currentText().trimmed().toStdString()};
}

}  // namespace trelvo::app
