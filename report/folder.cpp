#include "report/folder.h"

#include "recording/per_second_file.h"
#include "report/load.h"
#include "report/summary_cache.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <map>

namespace trelvo::report {
namespace {

constexpr std::int64_t kDay = 86400;

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// The local times (seconds since 1970 on the local clock) of a per-second file's first and last
// rows, and the first row's UTC offset, read from its head and tail only. A row being written
// at the end is left for the one before it.
struct PerSecondEnds {
    std::int64_t first = 0, last = 0;
    std::int32_t utcOffset = 0;
};

std::optional<recording::RowRead> ReadRow(std::string_view line)
{
    std::vector<std::uint8_t> wave;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return recording::ReadPerSecondRow(line, wave);
}

std::int64_t LocalTime(const recording::RowRead& row)
{
    return DaysFromCivil({row.year, row.month, row.day}) * kDay + row.secondOfDay;
}

std::optional<PerSecondEnds> ReadEnds(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(64 * 1024);
    const qsizetype headerEnd = head.indexOf('\n');
    if (headerEnd < 0)
        return std::nullopt;
    const qsizetype firstEnd = head.indexOf('\n', headerEnd + 1);
    if (firstEnd < 0)
        return std::nullopt;
    const auto first = ReadRow(
        View(head).substr(static_cast<std::size_t>(headerEnd + 1), static_cast<std::size_t>(firstEnd - headerEnd - 1)));
    const qint64 tailStart = std::max<qint64>(0, file.size() - 64 * 1024);
    file.seek(tailStart);
    const QByteArray tail = file.readAll();
    // The last whole line: the one ending at the last line end.
    const qsizetype end = tail.lastIndexOf('\n');
    if (!first || end < 0)
        return std::nullopt;
    const qsizetype begin = tail.lastIndexOf('\n', end - 1) + 1;
    const auto last =
        ReadRow(View(tail).substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
    if (!last)
        return std::nullopt;
    return PerSecondEnds{LocalTime(*first), LocalTime(*last), first->utcOffset};
}

// A record file's first date and UTC offset from the per-second file written beside it: the
// first whose rows span the clock time of the record file's first line.
struct Dated {
    CivilDate date;
    std::int32_t utcOffset;
    QString perSecond;
};
std::optional<Dated> DateFromPerSecondFile(const QString& path, const Night& record)
{
    const std::int64_t firstClock = std::lround(record.readings.front().seconds) % kDay;
    for (const QString& candidate : PerSecondCandidates(path)) {
        const auto ends = ReadEnds(candidate);
        if (!ends)
            continue;
        const std::int64_t from = ends->first - static_cast<std::int64_t>(kLineSeconds);
        const std::int64_t at = from + ((firstClock - from) % kDay + kDay) % kDay;
        if (at <= ends->last + static_cast<std::int64_t>(kLineSeconds))
            return Dated{CivilFromDays(at >= 0 ? at / kDay : (at - kDay + 1) / kDay), ends->utcOffset,
                         QFileInfo(candidate).absoluteFilePath()};
    }
    return std::nullopt;
}

FileFacts Unreadable(QString why)
{
    FileFacts facts;
    facts.kind = FileFacts::Kind::Unreadable;
    facts.problem = std::move(why);
    return facts;
}

// The file read and placed in time.
struct Placed {
    FileFacts facts;
    std::optional<TimedNight> timed;
};

Placed Place(const QString& path, const FileFacts* known, bool keepWave = true)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Unreadable(file.errorString()), {}};
    const QByteArray text = file.readAll();
    FileFacts facts;
    Night night;
    const bool perSecond = IsPerSecondFile(View(text));
    night = perSecond ? ParsePerSecondFile(View(text), keepWave) : ParseNight(View(text));
    if (night.readings.empty()) {
        if (perSecond && night.brokenLines.empty()) {
            facts.kind = FileFacts::Kind::Empty;
            return {facts, {}};
        }
        return {Unreadable(perSecond ? QStringLiteral("no row of it can be read")
                                     : QStringLiteral("it holds no readings of a recording")),
                {}};
    }
    if (const std::string problem = SpanProblem(night); !problem.empty())
        return {Unreadable(QString::fromStdString(problem)), {}};
    TimedNight timed;
    if (perSecond) {
        facts.kind = FileFacts::Kind::PerSecond;
        timed = PlacePerSecond(std::move(night));
    } else {
        facts.kind = FileFacts::Kind::Record;
        if (known) {
            facts.date = known->date;
            facts.utcOffset = known->utcOffset;
            facts.perSecond = known->perSecond;
        } else if (const auto dated = DateFromPerSecondFile(path, night)) {
            facts.date = dated->date;
            facts.utcOffset = dated->utcOffset;
            facts.perSecond = dated->perSecond;
        } else {
            QString said;
            facts.date = DateOfRecordFile(path, night, std::nullopt, said);
            const auto clock = static_cast<int>(std::lround(night.readings.front().seconds) % kDay);
            facts.utcOffset = QDateTime(QDate(facts.date.year, facts.date.month, facts.date.day),
                                        QTime::fromMSecsSinceStartOfDay(clock * 1000))
                                  .offsetFromUtc();
        }
        timed = PlaceRecord(std::move(night), facts.date, facts.utcOffset);
    }
    facts.nights = NightsOf(timed);
    return {std::move(facts), std::move(timed)};
}

// A per-second file's nights from its first and last rows, without reading it all: rows are
// written in order. Reading it for its night checks this (a clock set back may break the order).
std::optional<FileFacts> QuickFacts(const QString& path)
{
    if (!LooksPerSecond(path))
        return std::nullopt;
    const auto ends = ReadEnds(path);
    if (!ends || ends->last < ends->first || static_cast<double>(ends->last - ends->first) > kLongestNight)
        return std::nullopt;
    FileFacts facts;
    facts.kind = FileFacts::Kind::PerSecond;
    for (std::int64_t n = NightOf(static_cast<double>(ends->first), 0);
         n <= NightOf(static_cast<double>(ends->last), 0); ++n)
        facts.nights.push_back(n);
    return facts;
}

// The night's files placed in time; the nights each file really holds are told in found.
std::optional<Night> Join(const FolderNight& night, QString& error,
                          std::vector<std::vector<std::int64_t>>* found = nullptr)
{
    std::vector<TimedNight> timed;
    for (const ListedFile& f : night.files) {
        // Working out the figures of many nights needs no wave.
        Placed placed = Place(f.file.path, &f.facts, found == nullptr);
        if (found)
            found->push_back(placed.facts.nights);
        if (!placed.timed) {
            if (placed.facts.kind == FileFacts::Kind::Empty)
                continue;
            error = QStringLiteral("%1: %2").arg(QFileInfo(f.file.path).fileName(), placed.facts.problem);
            return std::nullopt;
        }
        timed.push_back(std::move(*placed.timed));
    }
    std::vector<const TimedNight*> files;
    for (const TimedNight& t : timed)
        files.push_back(&t);
    Night joined = JoinNight(night.night, files);
    if (joined.readings.empty()) {
        error = QStringLiteral("no readings of this night are left in its files");
        return std::nullopt;
    }
    return joined;
}

}  // namespace

FileFacts ReadFacts(const QString& path)
{
    if (auto quick = QuickFacts(path))
        return std::move(*quick);
    return Place(path, nullptr).facts;
}

std::optional<Night> LoadFolderNight(const FolderNight& night, QString& error)
{
    return Join(night, error);
}

FolderListing ListFolder(const QString& folder, SummaryCache* cache, const ListingProgress& progress)
{
    QStringList paths;
    for (const QFileInfo& info : QDir(folder).entryInfoList({QStringLiteral("*.txt"), QStringLiteral("*.csv")},
                                                            QDir::Files | QDir::Readable | QDir::System, QDir::Name))
        paths << info.absoluteFilePath();
    return ListFiles(paths, cache, progress);
}

FolderListing ListFiles(const QStringList& paths, SummaryCache* cache, const ListingProgress& progress)
{
    FolderListing listing;
    std::vector<FolderFile> files;
    QSet<QString> taken;  // a file given twice, or given and found beside a record file, is read once
    const auto add = [&](const QString& path) {
        const QFileInfo info(path);
        if (const QString absolute = info.absoluteFilePath(); !taken.contains(absolute)) {
            taken.insert(absolute);
            files.push_back({absolute, info.size(), info.lastModified().toMSecsSinceEpoch()});
        }
    };
    for (const QString& path : paths)
        add(path);
    int done = 0;
    int total = static_cast<int>(files.size()) * 2;
    const auto step = [&] {
        ++done;
        if (!progress || progress(done, total))
            return true;
        listing.cancelled = true;
        return false;
    };
    if (cache)
        cache->Begin();
    const auto finish = [&] {
        if (cache)
            cache->Commit();
        return std::move(listing);
    };

    std::vector<FileFacts> facts(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::optional<FileFacts> known = cache ? cache->Facts(files[i]) : std::nullopt;
        if (!known) {
            known = ReadFacts(files[i].path);
            if (cache)
                cache->PutFacts(files[i], *known);
        }
        facts[i] = std::move(*known);
        // A record file's per-second file is read with it, also when it was not given.
        if (!facts[i].perSecond.isEmpty()) {
            const std::size_t before = files.size();
            add(facts[i].perSecond);
            facts.resize(files.size());
            total += static_cast<int>(files.size() - before);
        }
        if (!step())
            return finish();
    }

    // Grouped by the nights the facts tell; should reading a file show other nights than its
    // facts said, the facts are mended and the nights grouped again (once: now they are read).
    for (int round = 0; round < 2; ++round) {
        listing.nights.clear();
        listing.unreadable.clear();
        std::map<std::int64_t, std::vector<std::size_t>, std::greater<>> nights;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (facts[i].kind == FileFacts::Kind::Unreadable)
                listing.unreadable.emplace_back(QFileInfo(files[i].path).fileName(), facts[i].problem);
            for (const std::int64_t n : facts[i].nights)
                nights[n].push_back(i);
        }
        done = static_cast<int>(files.size());
        total = done + static_cast<int>(nights.size());
        bool mended = false;
        int sinceCommit = 0;
        for (const auto& [n, which] : nights) {
            FolderNight night{n, {}, {}};
            for (const std::size_t i : which)
                night.files.push_back({files[i], facts[i]});
            std::optional<NightRow> row = cache ? cache->Row(night) : std::nullopt;
            if (!row) {
                QString error;
                std::vector<std::vector<std::int64_t>> found;
                const std::optional<Night> joined = Join(night, error, &found);
                for (std::size_t k = 0; k < which.size() && k < found.size(); ++k)
                    if (found[k] != facts[which[k]].nights && facts[which[k]].kind == FileFacts::Kind::PerSecond &&
                        !found[k].empty()) {
                        facts[which[k]].nights = found[k];
                        if (cache)
                            cache->PutFacts(files[which[k]], facts[which[k]]);
                        mended = true;
                    }
                const std::optional<Figures> figures = joined ? Analyse(*joined, false) : std::nullopt;
                if (!figures) {
                    if (!error.isEmpty())
                        listing.unreadable.emplace_back(QFileInfo(night.files.front().file.path).fileName(), error);
                    if (!step())
                        return finish();
                    continue;
                }
                QStringList names;
                for (const ListedFile& f : night.files)
                    names << QFileInfo(f.file.path).fileName();
                row = RowOf(names.join(QStringLiteral(", ")).toStdString(), *joined, *figures);
                row->date = DateText(CivilFromDays(n));
                night.row = *row;
                if (cache)
                    cache->PutRow(night);
            }
            night.row = std::move(*row);
            listing.nights.push_back(std::move(night));
            if (cache && ++sinceCommit == 16) {
                cache->Commit();
                cache->Begin();
                sinceCommit = 0;
            }
            if (!step())
                return finish();
        }
        if (!mended)
            break;
    }
    return finish();
}

}  // namespace trelvo::report
