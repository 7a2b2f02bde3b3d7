#pragma once

#include "app/widgets/night_view.h"
#include "report/formats/write.h"
#include "report/library/folder.h"
#include "report/library/night_files.h"

#include <QDate>
#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

namespace trelvo::app {

// A night's files as the nights window saves them, through the report's writers: the reason one
// could not be written, or nothing. An OSCAR target is a folder. Nothing is written over a file of
// the night (nightFiles).
enum class NightFile { Pdf, Edf, Oscar, Csv };
[[nodiscard]] report::NightFormat FormatOf(NightFile file);
[[nodiscard]] QString SaveNight(NightFile format, const QString& target, const report::Night& night,
                                const QString& date, const QString& source, std::int16_t languageBase,
                                const report::ReadFiles& nightFiles);
// The files of a listed night, and the per-second files that may lie beside its record files.
[[nodiscard]] report::ReadFiles FilesOfNight(const report::FolderNight& night);

// The nights of the report for the doctor, oldest first: those selected, or the listing's in the
// range from..to; and the range its pages name ("07.12.2026 bis 13.12.2026"): the dates of the
// nights selected, else the range asked for.
struct ReportNights {
    std::vector<report::FolderNight> nights;
    QString range;
};
[[nodiscard]] ReportNights NightsOfReport(const report::FolderListing& listing,
                                          std::vector<report::FolderNight> selected, bool onlySelected,
                                          const QDate& from, const QDate& to, std::int16_t languageBase);

// The nights window's work, off the window's thread: listing the folder (again every kRefreshMs
// while refreshing), loading the night chosen, saving its files and writing the report for the
// doctor. One thread lists folders, another loads nights and writes files: a year being read never
// holds up the night asked for. What is done is told by signals, on the window's thread.
class NightsJobs final : public QObject {
    Q_OBJECT

public:
    explicit NightsJobs(std::int16_t languageBase, QObject* parent = nullptr);
    // The program ends without waiting for a listing or a report: both stop at their next step.
    ~NightsJobs() override;

    void SetLanguage(std::int16_t base) { m_language = base; }

    // Lists a folder; quietly, without the progress bar. A listing asked for while one runs
    // follows it.
    void List(const QString& folder, bool quietly);
    // The folder again, quietly: what changed since (the night being recorded) shows.
    void ListAgain();
    [[nodiscard]] bool Listing() const { return m_listWatcher.isRunning(); }
    [[nodiscard]] const report::FolderListing& Listed() const noexcept { return m_listing; }
    // Lists the folder again every kRefreshMs while on.
    void SetRefreshing(bool on);

    void Load(const report::FolderNight& night);
    void Save(NightFile format, const QString& target, std::shared_ptr<const ShownNight> shown,
              const report::FolderNight& night);
    // Writes a night's notes whole, then works out the night shown again with them.
    void SaveNotes(const QString& path, const report::NightNotes& notes, std::shared_ptr<const ShownNight> shown);
    // The report for the doctor over these nights (oldest first), written whole or not at all.
    void WriteReport(std::vector<report::FolderNight> nights, const QString& range, const QString& path,
                     const QString& person, const QString& born);
    [[nodiscard]] bool WritingReport() const { return m_reportWatcher.isRunning(); }
    // Stops the listing and the report under way.
    void Cancel();
    // A listing shown with its bar, or the report, is under way.
    [[nodiscard]] bool ShowsProgress() const { return (Listing() && !m_quietly) || WritingReport(); }

    static constexpr int kRefreshMs = 30'000;

signals:
    // Work with a progress bar began: a listing (maximum 100) or the report (a step per night).
    void Started(bool report, int maximum);
    void Progressed(int value);
    // A listing arrived (Listed() holds it); a listing cancelled leaves the last one.
    void ListingDone();
    void Loaded(std::shared_ptr<const ShownNight> night);
    void NotLoaded(const QString& why);
    void Saved(const QString& target, const QString& failure);
    // The notes were written (night: the night shown with them; kept: where a file that was no
    // notes file was put aside), or why not (failure).
    void NotesSaved(std::shared_ptr<const ShownNight> night, const QString& failure, const QString& kept);
    void ReportDone(const QString& path, const QString& failure);

private:
    void TakeListing();
    void TakeReport();

    std::int16_t m_language;
    QString m_folder;
    report::FolderListing m_listing;
    bool m_quietly = false, m_relist = false;
    QThreadPool m_listPool, m_nightPool;
    QFutureWatcher<report::FolderListing> m_listWatcher;
    struct Loading {
        std::shared_ptr<const ShownNight> night;
        QString error;  // why there is none
    };
    QFutureWatcher<Loading> m_nightWatcher;
    QFutureWatcher<QString> m_reportWatcher;
    QString m_reportPath;
    QTimer Refresh;
};

}  // namespace trelvo::app
