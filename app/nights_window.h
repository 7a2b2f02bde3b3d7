#pragma once

#include "app/nights/nights_jobs.h"
#include "app/widgets/night_view.h"
#include "report/library/folder.h"
#include "report/render/plot.h"
#include "report/words/figure_lines.h"

#include <QDate>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTabWidget;
class QSplitter;
class QTableView;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace trelvo::app {

class NightsModel;
class NotesPanel;
class TrendView;

// The nights of a folder: a table of them with their figures, the chosen night's panels, the
// trend, and the night's files to save. The window lays out and forwards: its jobs run off the
// window's thread (NightsJobs), its table shows a NightsModel.
class NightsWindow final : public QWidget {
    Q_OBJECT

public:
    // recordingNow tells the per-second file being written now (empty when none); that night is
    // marked and read again every NightsJobs::kRefreshMs while the window is shown.
    NightsWindow(std::int16_t languageBase, std::function<QString()> recordingNow, QWidget* parent = nullptr);
    ~NightsWindow() override;

    void SetLanguage(std::int16_t base);
    // Lists a folder (and keeps it as the one to show next time).
    void ShowFolder(const QString& folder);
    [[nodiscard]] const QString& Folder() const noexcept { return m_folder; }
    [[nodiscard]] const report::FolderListing& Listing() const noexcept { return m_jobs.Listed(); }
    [[nodiscard]] bool Reading() const { return m_jobs.Listing(); }
    // Reads the folder again, quietly: what changed since (the night being recorded) shows.
    void ReadAgain();
    // Chooses the night in this row of the table as it is sorted now.
    void ChooseRow(int row);
    [[nodiscard]] NightView& View() noexcept { return *m_view; }
    // Writes the report for the doctor over these nights (oldest first) off the window's thread,
    // with the progress bar, and opens it with the desktop's viewer when it is written.
    void WriteReport(std::vector<report::FolderNight> nights, const QString& range, const QString& path,
                     const QString& person, const QString& born);
    [[nodiscard]] QTableView& Table() noexcept { return *tblNights; }
    [[nodiscard]] QTreeWidget& Events() noexcept { return *lstEvents; }
    [[nodiscard]] QTextBrowser& FiguresPanel() noexcept { return *txtFigures; }
    // Shows the event in this row of the list (its four minutes), as a click or Enter does.
    void ChooseEvent(int row);
    [[nodiscard]] NotesPanel& Notes() noexcept { return *m_notes; }
    [[nodiscard]] TrendView& Trend() noexcept { return *m_trend; }
    // The trend's range: by its place in the chooser (7, 30, 90 days up to the newest night, all,
    // from–to), and the nights' dates it spans.
    void ChooseRange(int which, const QDate& from = {}, const QDate& to = {});
    [[nodiscard]] std::pair<QDate, QDate> TrendRange() const;
    // The measures the trend shows, as ticked.
    void ChooseMeasures(const std::vector<report::TrendMeasure>& measures);
    [[nodiscard]] QTextBrowser& TrendFigures() noexcept { return *txtTrendFigures; }

    // How a written report is opened; by default with the desktop's viewer (tests open nothing).
    void SetOpener(std::function<void(const QString& path)> open) { m_open = std::move(open); }

signals:
    // A listing arrived, or a night was loaded (tests wait for them).
    void Listed();
    void NightShown();
    // A night's notes were written (or why not: failure) and the night shown counted again.
    void NotesWritten(const QString& failure);
    // The report for the doctor was written (or why not: failure).
    void ReportWritten(const QString& path, const QString& failure);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    [[nodiscard]] QWidget* BuildNightTab();
    [[nodiscard]] QWidget* BuildAside();
    [[nodiscard]] QWidget* BuildTrendTab();
    void Caption();
    [[nodiscard]] QString T(int offset) const;

    // Handlers
    void cmdFolder_Click();
    void cmdOpenFolder_Click();
    void cmdCancel_Click();
    void cmdSave_Click(NightFile format);
    void cmdDoctor_Click();
    void tblNights_CurrentRowChanged(const QModelIndex& current);
    void lstEvents_Activated(QTreeWidgetItem* item);
    // F3, Shift+F3: the event after (or before) the one chosen.
    void StepEvent(int direction);

    // What the jobs tell.
    void ShowProgress(bool report, int maximum);
    void ShowListing();
    void ShowNight(std::shared_ptr<const ShownNight> night);
    void ShowReportWritten(const QString& path, const QString& failure);
    // The night shown's events and figures beside the chart, in the window's language.
    void ShowEventsAndFigures();
    // The chosen night's notes beside the chart, unless they are already shown.
    void ShowNotes();
    // The nights of the trend's range and their means and medians, the chosen night marked.
    void ShowTrend();
    void OpenTrendNight(std::size_t index);
    void ShowNotesSaved(std::shared_ptr<const ShownNight> night, const QString& failure, const QString& kept);

    void LoadChosenNight();
    [[nodiscard]] const report::FolderNight* ChosenNight() const;
    // The nights selected in the table.
    [[nodiscard]] std::vector<report::FolderNight> SelectedNights() const;
    void Say(const QString& text);

    std::int16_t m_language;
    std::function<QString()> m_recordingNow;
    QString m_folder;
    NightsJobs m_jobs;
    std::int64_t m_chosen = -1;  // the night shown, by its Key()
    std::shared_ptr<const ShownNight> m_shown;
    std::vector<report::FolderFile> m_shownFiles;  // as they were when the night shown was loaded
    std::function<void(const QString& path)> m_open;

    QLabel* lblFolder = nullptr;
    QLabel* m_folderText = nullptr;
    QPushButton* cmdFolder = nullptr;
    QPushButton* cmdOpenFolder = nullptr;
    QPushButton* cmdDoctor = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* cmdCancel = nullptr;
    QTableView* tblNights = nullptr;
    NightsModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QWidget* m_unreadable = nullptr;
    QLabel* lblUnreadable = nullptr;
    QListWidget* lstUnreadable = nullptr;
    QTabWidget* m_tabs = nullptr;
    NightView* m_view = nullptr;
    QLabel* m_pointer = nullptr;
    QLabel* m_nightTitle = nullptr;  // the night's date and files, above the chart
    QLabel* lblHelp = nullptr;
    std::array<QPushButton*, 4> cmdSave{};
    TrendView* m_trend = nullptr;
    QLabel* lblRange = nullptr;
    QComboBox* cboRange = nullptr;
    QDateEdit* dtpFrom = nullptr;
    QDateEdit* dtpTo = nullptr;
    QLabel* lblMeasures = nullptr;
    QListWidget* lstMeasures = nullptr;
    QTextBrowser* txtTrendFigures = nullptr;
    std::vector<std::int64_t> m_trendKeys;  // the nights the trend draws, by Key(), oldest first
    QTabWidget* m_aside = nullptr;          // the night's events and figures
    QSplitter* m_beside = nullptr;          // the chart and, beside it, m_aside
    bool m_splitDragged = false;            // a person moved the handle between them
    QLabel* m_eventCounts = nullptr;
    QTreeWidget* lstEvents = nullptr;
    QTextBrowser* txtFigures = nullptr;
    NotesPanel* m_notes = nullptr;
    std::int64_t m_notesFor = -1;             // the night the notes shown are of, by its Key()
    QString m_notesPath;                      // and its notes file
    std::vector<report::EventLine> m_events;  // as listed
    QLabel* m_status = nullptr;
};

}  // namespace trelvo::app
