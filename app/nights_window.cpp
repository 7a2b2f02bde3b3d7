#include "app/nights_window.h"

#include "app/nights/nights_model.h"
#include "app/platform/perf_trace.h"
#include "app/report_dialog.h"
#include "app/widgets/keys_help.h"
#include "app/widgets/notes_panel.h"
#include "app/widgets/trend_view.h"
#include "lang/language_switch.h"
#include "lang/string_table.h"
#include "report/formats/write.h"
#include "report/words/speech.h"
#include "report/words/summary_text.h"
#include "settings/settings_store.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>

namespace trelvo::app {
namespace {

// The figures of the night's page as a document a reader can move through: the figures, the time
// in the bands, the hourly table.
QString FiguresHtml(const report::Night& night, const report::Figures& f, const report::Speech& speech)
{
    namespace words = lang::text::report;
    const auto text = [](const std::string& s) { return QString::fromStdString(s).toHtmlEscaped(); };
    QString html;
    const auto lines = [&](const std::vector<report::FigureLine>& lines) {
        html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");
        for (const report::FigureLine& line : lines)
            html += QStringLiteral("<tr><th align=\"left\" valign=\"top\">%1</th><td>%2</td></tr>")
                        .arg(text(line.name), text(line.value));
        html += QStringLiteral("</table>");
    };
    const report::NightFigureLines figures = report::FigureLines(night, f, speech);
    if (!figures.note.value.empty())
        lines({figures.note});
    lines(figures.recording);
    lines(figures.events);
    html += QStringLiteral("<h4>%1</h4>").arg(text(speech.Text(words::kBandsHeading)));
    lines(report::BandLines(f, speech));
    html += QStringLiteral("<h4>%1</h4><table cellspacing=\"0\" cellpadding=\"3\">")
                .arg(text(speech.Text(words::kHoursHeading)));
    const auto rows = report::HourRows(night, f, speech);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        html += QStringLiteral("<tr>");
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            html += QStringLiteral("<%1 align=\"%2\">%3</%1>")
                        .arg(r == 0 ? QStringLiteral("th") : QStringLiteral("td"),
                             c == 0 ? QStringLiteral("left") : QStringLiteral("right"), text(rows[r][c]));
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

std::vector<report::FolderFile> FilesOf(const report::FolderNight& night)
{
    std::vector<report::FolderFile> files;
    for (const report::ListedFile& f : night.files)
        files.push_back(f.file);
    return files;
}

}  // namespace

NightsWindow::NightsWindow(std::int16_t languageBase, std::function<QString()> recordingNow, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_language(languageBase),
      m_recordingNow(std::move(recordingNow)),
      m_jobs(languageBase)
{
    setObjectName(QStringLiteral("frmNights"));
    BuildControls();
    Caption();
    connect(&m_jobs, &NightsJobs::Started, this, &NightsWindow::ShowProgress);
    connect(&m_jobs, &NightsJobs::Progressed, m_progress, &QProgressBar::setValue);
    connect(&m_jobs, &NightsJobs::ListingDone, this, &NightsWindow::ShowListing);
    connect(&m_jobs, &NightsJobs::Loaded, this, &NightsWindow::ShowNight);
    connect(&m_jobs, &NightsJobs::NotLoaded, this,
            [this](const QString& why) { Say(T(lang::text::kNightUnreadable).arg(why)); });
    connect(&m_jobs, &NightsJobs::Saved, this, [this](const QString& target, const QString& failure) {
        Say(failure.isEmpty() ? T(lang::text::kWritten).arg(QDir::toNativeSeparators(target))
                              : T(lang::text::kNotWritten).arg(failure));
    });
    connect(&m_jobs, &NightsJobs::ReportDone, this, &NightsWindow::ShowReportWritten);
    connect(&m_jobs, &NightsJobs::NotesSaved, this, &NightsWindow::ShowNotesSaved);
    // What the person writes of a night is written at once, to the file of the night it is of.
    connect(m_notes, &NotesPanel::Changed, this, [this](const report::NightNotes& notes) {
        const bool shownIsTheirs = m_shown && m_notesFor == m_chosen;
        m_jobs.SaveNotes(m_notesPath, notes, shownIsTheirs ? m_shown : nullptr);
    });
    const auto mark = [this](double from, double to) {
        if (!m_shown)
            return;
        m_aside->setCurrentWidget(m_notes);
        m_notes->AskToMark(from, to, m_shown->figures.start, m_shown->figures.end);
    };
    connect(m_view, &NightView::MarkAsked, this, mark);
    connect(m_notes, &NotesPanel::MarkShownAsked, this, [this, mark] { mark(m_view->From(), m_view->To()); });
    // Ctrl+Z undoes the last change of the notes (in the note being typed, its typing first).
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, m_notes, &NotesPanel::Undo);
    m_open = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    // Escape closes the window, F1 names its keys.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            [this] { ShowKeys(*this, m_language, lang::text::kNightsKeys); });
    // F3 and Shift+F3, as "find next" and "find previous" go: from event to event.
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this, [this] { StepEvent(1); });
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
            [this] { StepEvent(-1); });
}

NightsWindow::~NightsWindow() = default;

QString NightsWindow::T(int offset) const
{
    return lang::TextOf(m_language, offset);
}

// The last seven nights, or the nights selected in the table.
void NightsWindow::cmdDoctor_Click()
{
    const report::FolderListing& listing = m_jobs.Listed();
    if (listing.nights.empty() || m_jobs.WritingReport())
        return;
    // The range the trend shows.
    const auto [shownFrom, shownTo] = TrendRange();
    std::vector<report::FolderNight> selected = SelectedNights();
    const settings::ReportPerson person = settings::LoadReportPerson();
    ReportDialog dialog(m_language, shownFrom, shownTo, selected.size() > 1, person.name, person.born, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    (void)settings::SaveReportPerson({dialog.Name(), dialog.Born()});
    ReportNights chosen =
        NightsOfReport(listing, std::move(selected), dialog.OnlySelected(), dialog.From(), dialog.To(), m_language);
    if (chosen.nights.empty()) {
        Say(T(lang::text::kNoNightInRange));
        return;
    }
    const QString from = QString::fromStdString(chosen.nights.front().row.date);
    const QString to = QString::fromStdString(chosen.nights.back().row.date);
    const QString path = QFileDialog::getSaveFileName(
        this, cmdDoctor->text(), QDir(m_folder).filePath(QStringLiteral("nights-%1-%2.pdf").arg(from, to)),
        QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty())
        WriteReport(std::move(chosen.nights), chosen.range, path, dialog.Name(), dialog.Born());
}

void NightsWindow::cmdSave_Click(NightFile format)
{
    const std::shared_ptr<const ShownNight> shown = m_shown;
    const report::FolderNight* chosen = ChosenNight();
    if (!shown || !chosen)
        return;
    const QString base = QDir(m_folder).filePath(QStringLiteral("night-") + QString::fromStdString(chosen->row.date));
    const QPushButton* button = cmdSave[static_cast<std::size_t>(format)];
    const report::NightFormatInfo& info = report::InfoOf(FormatOf(format));
    const QString target =
        format == NightFile::Oscar
            ? QFileDialog::getExistingDirectory(this, button->text(), m_folder)
            : QFileDialog::getSaveFileName(this, button->text(),
                                           base + (format == NightFile::Csv ? QStringLiteral("-seconds") : QString()) +
                                               QString::fromLatin1(info.suffix),
                                           QString::fromLatin1(info.filter));
    if (target.isEmpty())
        return;
    m_jobs.Save(format, target, shown, *chosen);
}

void NightsWindow::cmdFolder_Click()
{
    const QString folder = QFileDialog::getExistingDirectory(this, T(lang::text::kFolderDialogTitle), m_folder);
    if (folder.isEmpty())
        return;
    (void)settings::SaveNightsFolder(folder);
    ShowFolder(folder);
}

void NightsWindow::cmdOpenFolder_Click()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder));
}

void NightsWindow::cmdCancel_Click()
{
    m_jobs.Cancel();
}

void NightsWindow::tblNights_CurrentRowChanged(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    const auto night = m_sorted->index(current.row(), 0).data(NightsModel::kNightRole).toLongLong();
    if (night != m_chosen) {
        // A note being typed goes to its own night's file.
        m_notes->TakeNote();
        m_chosen = night;
        ShowTrend();
        LoadChosenNight();
    }
}

void NightsWindow::SetLanguage(std::int16_t base)
{
    m_language = base;
    m_jobs.SetLanguage(base);
    m_view->SetLanguage(base);
    m_notes->SetLanguage(base);
    m_trend->SetLanguage(base);
    ShowTrend();
    m_model->SetLanguage(base);
    Caption();
    ShowListing();
    ShowEventsAndFigures();
}

void NightsWindow::ShowFolder(const QString& folder)
{
    m_folder = QDir(folder).absolutePath();
    m_folderText->setText(QDir::toNativeSeparators(m_folder));
    m_notes->TakeNote();
    m_chosen = -1;
    m_shown.reset();
    m_shownFiles.clear();
    m_view->SetNight(nullptr);
    ShowEventsAndFigures();
    ShowNotes();
    m_jobs.List(m_folder, false);
}

void NightsWindow::ReadAgain()
{
    m_jobs.ListAgain();
}

void NightsWindow::ShowProgress(bool report, int maximum)
{
    m_progress->setFormat(T(report ? lang::text::kWritingReport : lang::text::kReadingFolder));
    m_progress->setRange(0, maximum);
    m_progress->setValue(0);
    m_progress->show();
    cmdCancel->show();
}

void NightsWindow::ShowListing()
{
    m_progress->setVisible(m_jobs.ShowsProgress());
    cmdCancel->setVisible(m_jobs.ShowsProgress());
    const report::FolderListing& listing = m_jobs.Listed();
    {
        // Rows change in place; the night chosen is looked at below, once.
        const QSignalBlocker quiet(tblNights->selectionModel());
        m_model->SetNights(listing.nights, m_recordingNow ? m_recordingNow() : QString());
    }
    tblNights->resizeColumnsToContents();
    ShowTrend();
    lstUnreadable->clear();
    for (const auto& [name, why] : listing.unreadable) {
        const QString text =
            QStringLiteral("%1: %2").arg(name, QString::fromStdString(report::Words(why, report::Speech(m_language))));
        lstUnreadable->addItem(text);
        lstUnreadable->item(lstUnreadable->count() - 1)->setToolTip(text);  // a narrow list cuts the reason
    }
    m_unreadable->setVisible(!listing.unreadable.empty());
    Say(listing.cancelled
            ? T(lang::text::kReadingCancelled)
            : T(lang::text::kNightsListed).arg(listing.nights.size()).arg(QDir::toNativeSeparators(m_folder)));

    // The night chosen stays chosen (and is loaded again when its files changed); else the newest.
    const QModelIndex current = tblNights->currentIndex();
    if (!ChosenNight() || !current.isValid() || current.data(NightsModel::kNightRole).toLongLong() != m_chosen) {
        if (m_sorted->rowCount() > 0)
            ChooseRow(0);
    } else if (FilesOf(*ChosenNight()) != m_shownFiles) {
        LoadChosenNight();
    }
    PerfTrace("nights-listed", static_cast<long>(listing.nights.size()));
    emit Listed();
}

void NightsWindow::ShowNight(std::shared_ptr<const ShownNight> night)
{
    m_shown = std::move(night);
    m_view->SetNight(m_shown);
    for (QPushButton* b : cmdSave)
        b->setEnabled(true);
    ShowEventsAndFigures();
    ShowNotes();
    PerfTrace("night-shown");
    emit NightShown();
}

std::pair<QDate, QDate> NightsWindow::TrendRange() const
{
    const auto& nights = m_jobs.Listed().nights;
    const auto date = [](const report::FolderNight& n) {
        return QDate::fromString(QString::fromStdString(n.row.date), Qt::ISODate);
    };
    const int which = cboRange->currentIndex();
    if (which == lang::text::kTrendRangeCount - 1)
        return {dtpFrom->date(), dtpTo->date()};
    const QDate newest = nights.empty() ? QDate::currentDate() : date(nights.front());
    if (which == 3)
        return {nights.empty() ? newest : date(nights.back()), newest};
    // The last days up to the newest night: a folder of last year's nights shows them too.
    static constexpr int kDays[] = {7, 30, 90};
    return {newest.addDays(1 - kDays[std::clamp(which, 0, 2)]), newest};
}

void NightsWindow::ChooseRange(int which, const QDate& from, const QDate& to)
{
    cboRange->setCurrentIndex(which);
    if (from.isValid() && to.isValid()) {
        dtpFrom->setDate(from);
        dtpTo->setDate(to);
    }
    ShowTrend();
}

void NightsWindow::ChooseMeasures(const std::vector<report::TrendMeasure>& measures)
{
    {
        const QSignalBlocker quiet(lstMeasures);
        for (int m = 0; m < lstMeasures->count(); ++m)
            lstMeasures->item(m)->setCheckState(
                std::find(measures.begin(), measures.end(), static_cast<report::TrendMeasure>(m)) != measures.end()
                    ? Qt::Checked
                    : Qt::Unchecked);
    }
    ShowTrend();
}

void NightsWindow::ShowTrend()
{
    const auto [from, to] = TrendRange();
    // The dates of the range shown, also while they are not to be edited.
    if (cboRange->currentIndex() != lang::text::kTrendRangeCount - 1) {
        const QSignalBlocker a(dtpFrom), b(dtpTo);
        dtpFrom->setDate(from);
        dtpTo->setDate(to);
    }
    std::vector<report::NightRow> rows;
    report::TrendChoice choice;
    choice.measures.clear();
    m_trendKeys.clear();
    const auto& nights = m_jobs.Listed().nights;
    for (auto n = nights.rbegin(); n != nights.rend(); ++n) {
        const QDate date = QDate::fromString(QString::fromStdString(n->row.date), Qt::ISODate);
        if (date < from || date > to)
            continue;
        if (n->Key() == m_chosen)
            choice.chosen = rows.size();
        rows.push_back(n->row);
        m_trendKeys.push_back(n->Key());
    }
    for (int m = 0; m < lstMeasures->count(); ++m)
        if (lstMeasures->item(m)->checkState() == Qt::Checked)
            choice.measures.push_back(static_cast<report::TrendMeasure>(m));
    // The range's means and medians, counted as the doctor's report counts them.
    const report::NightsMeans means = report::MeansOf(rows), medians = report::MediansOf(rows);
    const report::Speech speech(m_language);
    const auto dateText = [&](const QDate& d) { return speech.Date(d.toString(Qt::ISODate).toStdString()); };
    QString html = QStringLiteral("<p>%1</p><table cellspacing=\"0\" cellpadding=\"3\"><tr><th></th><th "
                                  "align=\"right\">%2</th><th align=\"right\">%3</th></tr>")
                       .arg(QString::fromStdString(
                                speech.Text(lang::text::kTrendNights, {std::to_string(rows.size()), dateText(from),
                                                                       dateText(to), std::to_string(means.counted)}))
                                .toHtmlEscaped(),
                            T(lang::text::kMeanName), T(lang::text::kMedianName));
    const auto field = [](const report::NightsMeans& m, report::TrendMeasure measure) {
        switch (measure) {
        case report::TrendMeasure::Odi3: return m.odi3;
        case report::TrendMeasure::Odi4: return m.odi4;
        case report::TrendMeasure::T90: return m.t90Minutes;
        case report::TrendMeasure::T88: return m.t88Minutes;
        case report::TrendMeasure::Spo2Mean: return m.spo2Mean;
        case report::TrendMeasure::Spo2Min: return m.spo2Min;
        case report::TrendMeasure::Pulse: return m.pulseMean;
        }
        return std::optional<double>();
    };
    for (const report::TrendMeasure m : choice.measures) {
        const auto number = [&](const std::optional<double>& v) {
            return v ? QString::fromStdString(speech.Number(*v, m == report::TrendMeasure::Pulse ? 0 : 1))
                     : QStringLiteral("–");
        };
        html += QStringLiteral("<tr><th align=\"left\">%1</th><td align=\"right\">%2</td><td "
                               "align=\"right\">%3</td></tr>")
                    .arg(T(lang::text::kMeasureNames + static_cast<int>(m))
                             .section(QStringLiteral(" ["), 0, 0)
                             .toHtmlEscaped(),
                         number(field(means, m)), number(field(medians, m)));
    }
    html += QStringLiteral("</table>");
    txtTrendFigures->setHtml(html);
    m_trend->SetNights(std::move(rows), std::move(choice));
}

void NightsWindow::OpenTrendNight(std::size_t index)
{
    if (index >= m_trendKeys.size())
        return;
    for (int row = 0; row < m_sorted->rowCount(); ++row)
        if (m_sorted->index(row, 0).data(NightsModel::kNightRole).toLongLong() == m_trendKeys[index]) {
            ChooseRow(row);
            m_tabs->setCurrentIndex(0);
            return;
        }
}

void NightsWindow::ShowNotes()
{
    const report::FolderNight* chosen = ChosenNight();
    if (!chosen || !m_shown || !m_shown->night.date) {
        m_notesFor = -1;
        m_notesPath.clear();
        m_notes->SetNotes(std::nullopt, {}, {});
        return;
    }
    // The night being recorded is read again now and then: what is being typed stays.
    if (chosen->Key() == m_notesFor)
        return;
    m_notesFor = chosen->Key();
    m_notesPath = chosen->notesPath;
    m_notes->SetNotes(chosen->notes, *m_shown->night.date,
                      chosen->notesProblem
                          ? QString::fromStdString(report::Words(*chosen->notesProblem, report::Speech(m_language)))
                          : QString());
}

void NightsWindow::ShowNotesSaved(std::shared_ptr<const ShownNight> night, const QString& failure, const QString& kept)
{
    if (!failure.isEmpty()) {
        Say(T(lang::text::kNotesNotSaved).arg(failure));
        emit NotesWritten(failure);
        return;
    }
    if (!kept.isEmpty())
        Say(T(lang::text::kNotesKept).arg(QFileInfo(m_notesPath).fileName(), QFileInfo(kept).fileName()));
    // The night shown counted again with its marks; the table's row follows with the listing.
    if (night && m_shown && m_notesFor == m_chosen && night->night.date == m_shown->night.date) {
        m_shown = std::move(night);
        m_view->SetNight(m_shown);
        ShowEventsAndFigures();
    }
    ReadAgain();
    emit NotesWritten(QString());
}

void NightsWindow::ShowEventsAndFigures()
{
    // The night being recorded is read again now and then: the event chosen stays chosen.
    const int current = lstEvents->indexOfTopLevelItem(lstEvents->currentItem());
    lstEvents->clear();
    m_events.clear();
    if (!m_shown) {
        m_eventCounts->clear();
        txtFigures->clear();
        m_nightTitle->clear();
        return;
    }
    const report::Speech speech(m_language);
    QStringList files;
    for (const report::FolderFile& file : m_shownFiles)
        files << QFileInfo(file.path).fileName();
    // The night as the table names it, and its files.
    const QModelIndex row = tblNights->currentIndex();
    const QString date = row.isValid() ? row.siblingAtColumn(0).data().toString() : QString();
    m_nightTitle->setText((date.isEmpty() ? QString() : date + QStringLiteral(" · ")) +
                          files.join(QStringLiteral(", ")));
    const report::Night& night = m_shown->night;
    const report::Figures& f = m_shown->figures;
    m_events = report::EventLines(night, f, speech);
    QList<QTreeWidgetItem*> items;
    for (const report::EventLine& e : m_events) {
        QStringList cells;
        for (const std::string& cell : e.cells)
            cells << QString::fromStdString(cell);
        auto* item = new QTreeWidgetItem(cells);
        for (int c = 1; c < cells.size(); ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    lstEvents->addTopLevelItems(items);
    if (current >= 0 && current < lstEvents->topLevelItemCount())
        lstEvents->setCurrentItem(lstEvents->topLevelItem(current));
    m_eventCounts->setText(QString::fromStdString(report::EventCounts(f, speech)));
    txtFigures->setHtml(FiguresHtml(night, f, speech));
}

void NightsWindow::lstEvents_Activated(QTreeWidgetItem* item)
{
    ChooseEvent(lstEvents->indexOfTopLevelItem(item));
}

void NightsWindow::ChooseEvent(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_events.size())
        return;
    lstEvents->setCurrentItem(lstEvents->topLevelItem(row));
    const report::EventLine& e = m_events[static_cast<std::size_t>(row)];
    m_view->ShowEvent(e.start, e.end);
    PerfTrace("event-shown", row);
}

void NightsWindow::StepEvent(int direction)
{
    if (m_events.empty())
        return;
    const int count = static_cast<int>(m_events.size());
    const int current = lstEvents->indexOfTopLevelItem(lstEvents->currentItem());
    ChooseEvent(current < 0 ? (direction > 0 ? 0 : count - 1) : std::clamp(current + direction, 0, count - 1));
}

const report::FolderNight* NightsWindow::ChosenNight() const
{
    for (const report::FolderNight& n : m_jobs.Listed().nights)
        if (n.Key() == m_chosen)
            return &n;
    return nullptr;
}

std::vector<report::FolderNight> NightsWindow::SelectedNights() const
{
    std::vector<report::FolderNight> selected;
    for (const QModelIndex& index : tblNights->selectionModel()->selectedRows())
        if (const report::FolderNight* n = m_model->NightAt(m_sorted->mapToSource(index).row()))
            selected.push_back(*n);
    return selected;
}

void NightsWindow::ChooseRow(int row)
{
    tblNights->selectRow(row);
    tblNights->setCurrentIndex(m_sorted->index(row, 0));
}

void NightsWindow::LoadChosenNight()
{
    const report::FolderNight* chosen = ChosenNight();
    if (!chosen)
        return;
    for (QPushButton* b : cmdSave)
        b->setEnabled(false);
    m_shownFiles = FilesOf(*chosen);
    m_jobs.Load(*chosen);
}

void NightsWindow::WriteReport(std::vector<report::FolderNight> nights, const QString& range, const QString& path,
                               const QString& person, const QString& born)
{
    cmdDoctor->setEnabled(false);
    m_jobs.WriteReport(std::move(nights), range, path, person, born);
}

void NightsWindow::ShowReportWritten(const QString& path, const QString& failure)
{
    m_progress->setVisible(m_jobs.ShowsProgress());
    cmdCancel->setVisible(m_jobs.ShowsProgress());
    cmdDoctor->setEnabled(true);
    if (failure.isEmpty()) {
        Say(T(lang::text::kWritten).arg(QDir::toNativeSeparators(path)));
        if (m_open)
            m_open(path);
    } else {
        Say(T(lang::text::kNotWritten).arg(failure));
    }
    emit ReportWritten(path, failure);
}

void NightsWindow::Say(const QString& text)
{
    m_status->setText(text);
}

// The table is read again every while the window is shown: a hidden window wakes nobody.
void NightsWindow::showEvent(QShowEvent* event)
{
    m_jobs.SetRefreshing(true);
    QWidget::showEvent(event);
}

bool NightsWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Until a person drags the handle between them, the events and figures take a third of the
    // width, from 220 to 420 pixels, and the chart the rest, whatever the window's size.
    if (watched == m_beside && event->type() == QEvent::Resize && !m_splitDragged) {
        const int width = m_beside->width();
        const int aside = std::clamp(width / 3, 220, 420);
        m_beside->setSizes({width - aside, aside});
    }
    return QWidget::eventFilter(watched, event);
}

void NightsWindow::hideEvent(QHideEvent* event)
{
    m_notes->TakeNote();
    m_jobs.SetRefreshing(false);
    QWidget::hideEvent(event);
}

}  // namespace trelvo::app
