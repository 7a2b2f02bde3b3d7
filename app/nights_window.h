#pragma once

#include "app/widgets/night_view.h"
#include "report/library/folder.h"
#include "report/library/night_files.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace trelvo::app {

class TrendView;

// A night's files as the nights window saves them, through the report's writers: the reason one
// could not be written, or nothing. An OSCAR target is a folder. Nothing is written over a file of
// the night (nightFiles).
enum class NightFile { Pdf, Edf, Oscar, Csv };
[[nodiscard]] QString SaveNight(NightFile format, const QString& target, const report::Night& night,
                                const QString& date, const QString& source, std::int16_t languageBase,
                                const report::ReadFiles& nightFiles);
// The files of a listed night, and the per-second files that may lie beside its record files.
[[nodiscard]] report::ReadFiles FilesOfNight(const report::FolderNight& night);

// The nights of a folder: a table of them with their figures, the chosen night's panels, the
// trend, and the night's files to save. Reading the folder and loading a night happen off the
// window's thread, on threads that yield to the live display.
class NightsWindow final : public QWidget {
    Q_OBJECT

public:
    // recordingNow tells the per-second file being written now (empty when none); that night is
    // marked and read again every kRefreshMs while the window is shown.
    NightsWindow(std::int16_t languageBase, std::function<QString()> recordingNow, QWidget* parent = nullptr);
    ~NightsWindow() override;

    void SetLanguage(std::int16_t base);
    // Lists a folder (and keeps it as the one to show next time).
    void ShowFolder(const QString& folder);
    [[nodiscard]] const QString& Folder() const noexcept { return m_folder; }
    [[nodiscard]] const report::FolderListing& Listing() const noexcept { return m_listing; }
    [[nodiscard]] bool Reading() const;
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

    // How a written report is opened; by default with the desktop's viewer (tests open nothing).
    void SetOpener(std::function<void(const QString& path)> open) { m_open = std::move(open); }

    static constexpr int kRefreshMs = 30'000;

signals:
    // A listing arrived, or a night was loaded (tests wait for them).
    void Listed();
    void NightShown();
    // The report for the doctor was written (or why not: failure).
    void ReportWritten(const QString& path, const QString& failure);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildControls();
    void Caption();
    [[nodiscard]] QString T(int offset) const;

    // Handlers
    void cmdFolder_Click();
    void cmdOpenFolder_Click();
    void cmdCancel_Click();
    void cmdSave_Click(NightFile format);
    void cmdDoctor_Click();
    void Refresh_Timer();

    void StartListing(bool quietly);
    void ShowListing();
    void LoadChosenNight();
    [[nodiscard]] const report::FolderNight* ChosenNight() const;
    // "07.12.2026 bis 13.12.2026" from two nights' dates.
    [[nodiscard]] QString Range(const QString& from, const QString& to) const;
    void Say(const QString& text);

    std::int16_t m_language;
    std::function<QString()> m_recordingNow;
    QString m_folder;
    report::FolderListing m_listing;
    std::int64_t m_chosen = -1;  // the night shown, by its Key()
    std::shared_ptr<const ShownNight> m_shown;
    std::vector<report::FolderFile> m_shownFiles;  // as they were when the night shown was loaded

    // One thread reads folders, another loads nights and writes files: a year being read never
    // holds up the night asked for.
    QThreadPool m_listPool, m_nightPool;
    QFutureWatcher<report::FolderListing> m_listWatcher;
    struct Loaded {
        std::shared_ptr<const ShownNight> night;
        QString error;  // why there is none
    };
    [[nodiscard]] static Loaded LoadNight(const report::FolderNight& chosen, std::int16_t languageBase);
    QFutureWatcher<Loaded> m_nightWatcher;
    bool m_relist = false;
    QFutureWatcher<QString> m_reportWatcher;
    QString m_reportPath;
    std::function<void(const QString& path)> m_open;
    QTimer Refresh;

    QLabel* lblFolder = nullptr;
    QLabel* m_folderText = nullptr;
    QPushButton* cmdFolder = nullptr;
    QPushButton* cmdOpenFolder = nullptr;
    QPushButton* cmdDoctor = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* cmdCancel = nullptr;
    QTableView* tblNights = nullptr;
    QStandardItemModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QWidget* m_unreadable = nullptr;
    QLabel* lblUnreadable = nullptr;
    QListWidget* lstUnreadable = nullptr;
    QTabWidget* m_tabs = nullptr;
    NightView* m_view = nullptr;
    QLabel* m_pointer = nullptr;
    QLabel* lblHelp = nullptr;
    std::array<QPushButton*, 4> cmdSave{};
    TrendView* m_trend = nullptr;
    QLabel* m_status = nullptr;
};

}  // namespace trelvo::app
