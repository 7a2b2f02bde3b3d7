#include "app/nights/nights_jobs.h"

#include "app/platform/background.h"
#include "lang/language_switch.h"
#include "lang/string_table.h"
#include "report/analysis/beats.h"
#include "report/files/output.h"
#include "report/formats/export.h"
#include "report/formats/nights.h"
#include "report/formats/write.h"
#include "report/library/night_notes.h"
#include "report/library/summary_cache.h"
#include "report/words/speech.h"
#include "report/words/summary_text.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace trelvo::app {
namespace {

constexpr qint64 kProgressMs = 250;

report::FolderListing ListInBackground(const QString& folder, const QString& cachePath,
                                       QPromise<report::FolderListing>& promise)
{
    YieldToTheDisplay();
    report::SummaryCache cache(cachePath);
    // The bar is drawn by the window's thread: it moves a few times a second at most.
    int shown = -1;
    QElapsedTimer since;
    since.start();
    return report::ListFolder(folder, &cache, [&](int done, int total) {
        const int percent = total > 0 ? static_cast<int>(100LL * done / total) : 0;
        if (percent != shown && (shown < 0 || since.elapsed() >= kProgressMs)) {
            shown = percent;
            since.restart();
            promise.setProgressValue(percent);
        }
        return !promise.isCanceled();
    });
}

}  // namespace

NightsJobs::NightsJobs(std::int16_t languageBase, QObject* parent) : QObject(parent), m_language(languageBase)
{
    m_listPool.setMaxThreadCount(1);
    m_nightPool.setMaxThreadCount(1);
    connect(&m_listWatcher, &QFutureWatcher<report::FolderListing>::progressValueChanged, this,
            &NightsJobs::Progressed);
    connect(&m_listWatcher, &QFutureWatcher<report::FolderListing>::finished, this, &NightsJobs::TakeListing);
    connect(&m_nightWatcher, &QFutureWatcher<Loading>::finished, this, [this] {
        const Loading loading = m_nightWatcher.result();
        if (loading.night)
            emit Loaded(loading.night);
        else
            emit NotLoaded(loading.error);
    });
    connect(&m_reportWatcher, &QFutureWatcher<QString>::progressValueChanged, this, &NightsJobs::Progressed);
    connect(&m_reportWatcher, &QFutureWatcher<QString>::finished, this, &NightsJobs::TakeReport);
    Refresh.setInterval(kRefreshMs);
    connect(&Refresh, &QTimer::timeout, this, &NightsJobs::ListAgain);
}

NightsJobs::~NightsJobs()
{
    m_listWatcher.cancel();
    m_reportWatcher.cancel();
    m_listPool.waitForDone();
    m_nightPool.waitForDone();
}

void NightsJobs::List(const QString& folder, bool quietly)
{
    m_folder = folder;
    if (m_listWatcher.isRunning()) {
        m_relist = true;
        return;
    }
    m_quietly = quietly;
    if (!quietly)
        emit Started(false, 100);
    m_listWatcher.setFuture(QtConcurrent::run(
        &m_listPool, [folder, cachePath = report::DefaultCachePath()](QPromise<report::FolderListing>& promise) {
            promise.addResult(ListInBackground(folder, cachePath, promise));
        }));
}

void NightsJobs::ListAgain()
{
    if (!m_folder.isEmpty())
        List(m_folder, true);
}

void NightsJobs::SetRefreshing(bool on)
{
    if (on)
        Refresh.start();
    else
        Refresh.stop();
}

void NightsJobs::TakeListing()
{
    // A listing is taken once (afterwards the future is no longer valid).
    QFuture<report::FolderListing> future = m_listWatcher.future();
    if (future.isValid() && future.isFinished() && !future.isCanceled() && future.resultCount() > 0)
        m_listing = future.takeResult();
    else
        m_listing.cancelled = true;
    m_quietly = false;
    if (m_relist) {
        m_relist = false;
        ListAgain();
    }
    emit ListingDone();
}

void NightsJobs::Load(const report::FolderNight& night)
{
    m_nightWatcher.setFuture(QtConcurrent::run(&m_nightPool, [night, language = m_language] {
        YieldToTheDisplay();
        Loading loading;
        report::Outcome<report::Night> read = report::LoadFolderNight(night);
        if (read.problem)
            loading.error = QString::fromStdString(report::Words(*read.problem, report::Speech(language)));
        std::optional<report::Figures> figures = read.value ? report::Analyse(*read.value, false) : std::nullopt;
        if (!figures)
            return loading;
        auto shown = std::make_shared<ShownNight>();
        shown->beats = report::DetectBeats(*read.value);
        shown->night = std::move(*read.value);
        shown->figures = std::move(*figures);
        loading.night = std::move(shown);
        return loading;
    }));
}

void NightsJobs::Save(NightFile format, const QString& target, std::shared_ptr<const ShownNight> shown,
                      const report::FolderNight& night)
{
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, target] {
        emit Saved(target, watcher->result());
        watcher->deleteLater();
    });
    const QString date = QString::fromStdString(night.row.date), names = QString::fromStdString(night.row.name);
    watcher->setFuture(QtConcurrent::run(
        &m_nightPool, [shown, format, target, date, names, language = m_language, files = FilesOfNight(night)] {
            YieldToTheDisplay();
            return SaveNight(format, target, shown->night, date, names, language, files);
        }));
}

void NightsJobs::SaveNotes(const QString& path, const report::NightNotes& notes,
                           std::shared_ptr<const ShownNight> shown)
{
    struct Written {
        std::shared_ptr<const ShownNight> night;
        QString failure, kept;
    };
    auto* watcher = new QFutureWatcher<Written>(this);
    connect(watcher, &QFutureWatcher<Written>::finished, this, [this, watcher] {
        const Written written = watcher->result();
        emit NotesSaved(written.night, written.failure, written.kept);
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(&m_nightPool, [path, notes, shown, language = m_language] {
        Written written;
        if (const report::WriteFailure failure = report::WriteNotesFile(path, notes, &written.kept)) {
            written.failure = QString::fromStdString(report::Words(*failure, report::Speech(language)));
            return written;
        }
        // Notes of a night no longer shown are only written.
        if (!shown)
            return written;
        auto again = std::make_shared<ShownNight>(*shown);
        report::Attach(again->night, notes);
        if (auto figures = report::Analyse(again->night, false))
            again->figures = std::move(*figures);
        written.night = std::move(again);
        return written;
    }));
}

void NightsJobs::WriteReport(std::vector<report::FolderNight> nights, const QString& range, const QString& path,
                             const QString& person, const QString& born)
{
    m_reportPath = path;
    emit Started(true, static_cast<int>(nights.size()));
    report::NightsReport report = report::ReportOfNights(std::move(nights), range, report::Speech(m_language));
    report.person = person;
    report.born = born;
    m_reportWatcher.setFuture(QtConcurrent::run(&m_nightPool, [report, path](QPromise<QString>& promise) mutable {
        YieldToTheDisplay();
        // Each night's page moves the bar; cancelled, the rest is left out and nothing is written.
        const auto load = report.night;
        report.night = [&](std::size_t i) -> std::optional<report::NightsReport::Page> {
            if (promise.isCanceled())
                return std::nullopt;
            promise.setProgressValue(static_cast<int>(i));
            return load(i);
        };
        QBuffer pages;
        pages.open(QIODevice::WriteOnly);
        report::WriteFailure failure = report::WriteNightsPdf(pages, report);
        if (promise.isCanceled())
            return;
        if (!failure)
            failure = report::WriteWhole(path, pages.data());
        promise.addResult(failure ? QString::fromStdString(report::Words(*failure, report.speech)) : QString());
    }));
}

void NightsJobs::TakeReport()
{
    const bool written = !m_reportWatcher.isCanceled() && m_reportWatcher.future().resultCount() > 0;
    emit ReportDone(m_reportPath,
                    written ? m_reportWatcher.result() : lang::TextOf(m_language, lang::text::kReadingCancelled));
}

void NightsJobs::Cancel()
{
    m_relist = false;
    m_listWatcher.cancel();
    m_reportWatcher.cancel();
}

ReportNights NightsOfReport(const report::FolderListing& listing, std::vector<report::FolderNight> selected,
                            bool onlySelected, const QDate& from, const QDate& to, std::int16_t languageBase)
{
    ReportNights chosen;
    if (onlySelected)
        chosen.nights = std::move(selected);
    else
        for (const report::FolderNight& n : listing.nights)
            if (report::NightInRange(n.row, from, to))
                chosen.nights.push_back(n);
    std::sort(chosen.nights.begin(), chosen.nights.end(),
              [](const auto& a, const auto& b) { return a.night < b.night; });
    if (chosen.nights.empty())
        return chosen;
    const report::Speech speech(languageBase);
    const std::string first = onlySelected ? chosen.nights.front().row.date : from.toString(Qt::ISODate).toStdString();
    const std::string last = onlySelected ? chosen.nights.back().row.date : to.toString(Qt::ISODate).toStdString();
    chosen.range =
        QString::fromStdString(speech.Text(lang::text::report::kRange, {speech.Date(first), speech.Date(last)}));
    return chosen;
}

report::NightFormat FormatOf(NightFile file)
{
    switch (file) {
    case NightFile::Pdf: return report::NightFormat::Pdf;
    case NightFile::Edf: return report::NightFormat::Edf;
    case NightFile::Oscar: return report::NightFormat::Oscar;
    case NightFile::Csv: break;
    }
    return report::NightFormat::Csv;
}

report::ReadFiles FilesOfNight(const report::FolderNight& night)
{
    report::ReadFiles files;
    for (const report::ListedFile& f : night.files) {
        files.Add(f.file.path);
        for (const QString& beside : report::PerSecondCandidates(f.file.path))
            files.Add(beside);
    }
    return files;
}

QString SaveNight(NightFile format, const QString& target, const report::Night& night, const QString& date,
                  const QString& source, std::int16_t languageBase, const report::ReadFiles& nightFiles)
{
    const report::Speech speech(languageBase);
    const report::CivilDate first = night.date.value_or(report::CivilDate{});
    QStringList outputs{target};
    if (format == NightFile::Oscar)
        for (const report::OscarFile& file : report::OscarFiles(night, first))
            outputs << report::OscarFilePath(target, file);
    if (const auto replaced = report::WouldReplace(nightFiles, outputs))
        return lang::TextOf(languageBase, lang::text::kWouldReplace)
            .arg(report::PrintableName(QDir::toNativeSeparators(replaced->output)),
                 report::PrintableName(QFileInfo(replaced->input).fileName()));
    const auto said = [&](const report::WriteFailure& failure) {
        return failure ? QString::fromStdString(report::Words(*failure, speech)) : QString();
    };
    if (format == NightFile::Edf || format == NightFile::Oscar)
        if (const report::WriteFailure problem = report::GridProblem(night))
            return said(problem);
    switch (format) {
    case NightFile::Pdf:
        return said(report::WritePdfFile(target, night, *report::Analyse(night, false),
                                         QString::fromStdString(report::NightTitle(speech, date.toStdString())), source,
                                         speech));
    case NightFile::Edf: return said(report::WriteEdfFile(target, night, *report::Analyse(night, false), first));
    case NightFile::Csv: return said(report::WriteCsvFile(target, night, first));
    case NightFile::Oscar: break;
    }
    QStringList failures;
    for (const auto& [file, failure] : report::WriteOscarFolder(target, report::OscarFiles(night, first)))
        if (failure)
            failures << QStringLiteral("%1: %2").arg(file, said(failure));
    return failures.join(QStringLiteral("; "));
}

}  // namespace trelvo::app
