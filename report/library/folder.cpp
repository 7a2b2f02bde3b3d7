#include "report/library/folder.h"

#include "recording/per_second_file.h"
#include "report/library/night_files.h"
#include "report/library/night_notes.h"
#include "report/library/summary_cache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThreadPool>
#include <QTimeZone>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <map>
#include <sys/stat.h>

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
    std::int32_t utcOffset = 0, lastOffset = 0;
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
    const RegularFile file(path);
    if (file.Refusal())
        return std::nullopt;
    const QByteArray head = file.Read(0, 64 * 1024);
    if (!IsPerSecondFile(View(head)))
        return std::nullopt;
    const qsizetype headerEnd = head.indexOf('\n');
    if (headerEnd < 0)
        return std::nullopt;
    const qsizetype firstEnd = head.indexOf('\n', headerEnd + 1);
    if (firstEnd < 0)
        return std::nullopt;
    const auto first = ReadRow(
        View(head).substr(static_cast<std::size_t>(headerEnd + 1), static_cast<std::size_t>(firstEnd - headerEnd - 1)));
    const qint64 tailStart = std::max<qint64>(0, file.Size() - 64 * 1024);
    const QByteArray tail = file.Read(tailStart, 64 * 1024);
    // The last whole line: the one ending at the last line end.
    const qsizetype end = tail.lastIndexOf('\n');
    if (!first || end < 0)
        return std::nullopt;
    const qsizetype begin = tail.lastIndexOf('\n', end - 1) + 1;
    const auto last =
        ReadRow(View(tail).substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
    if (!last)
        return std::nullopt;
    return PerSecondEnds{LocalTime(*first), LocalTime(*last), first->utcOffset, last->utcOffset};
}

// A record file's first date and UTC offset from the per-second file written beside it: the
// first whose rows span the clock time of the record file's first line.
struct Dated {
    CivilDate date;
    std::int32_t utcOffset, lastOffset;
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
            return Dated{CivilFromDays(at >= 0 ? at / kDay : (at - kDay + 1) / kDay), ends->utcOffset, ends->lastOffset,
                         QFileInfo(candidate).absoluteFilePath()};
    }
    return std::nullopt;
}

FileFacts Unreadable(Problem why)
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
    bool opened = false;  // the file could be read: a problem is in what it holds
};

// known: the facts of the file as listed (its date); given: a date the user gave.
Placed Place(const QString& path, const FileFacts* known, bool keepWave = true,
             const std::optional<CivilDate>& given = std::nullopt)
{
    const RegularFile file(path);
    if (file.Refusal())
        return {Unreadable(*file.Refusal()), {}, false};
    thread_local std::vector<char> buffer;
    const std::string_view text = file.ReadAll(buffer);
    FileFacts facts;
    Night night;
    Placed placed;
    placed.opened = true;
    const bool perSecond = IsPerSecondFile(text);
    night = perSecond ? ParsePerSecondFile(text, keepWave) : ParseNight(text);
    if (night.readings.empty()) {
        if (perSecond && night.brokenLines.empty()) {
            facts.kind = FileFacts::Kind::Empty;
            placed.facts = facts;
            return placed;
        }
        placed.facts = Unreadable({perSecond ? Problem::Code::NoRows : Problem::Code::NoReadings, {}});
        return placed;
    }
    if (!SpanProblem(night).empty()) {
        const double span = night.readings.back().seconds - night.readings.front().seconds;
        return {Unreadable({Problem::Code::SpanTooLong, {std::to_string(std::lround(span / 86400))}}), {}, false};
    }
    TimedNight timed;
    if (perSecond) {
        facts.kind = FileFacts::Kind::PerSecond;
        timed = PlacePerSecond(std::move(night));
    } else {
        facts.kind = FileFacts::Kind::Record;
        // The time zone's offset at a second of the file's clock (days after its first date on).
        const auto zoneOffset = [&](CivilDate date, double seconds) {
            const auto whole = static_cast<qint64>(std::floor(seconds));
            return QDateTime(QDate(date.year, date.month, date.day).addDays(whole / kDay),
                             QTime::fromMSecsSinceStartOfDay(static_cast<int>(whole % kDay) * 1000))
                .offsetFromUtc();
        };
        const double first = night.readings.front().seconds, last = night.readings.back().seconds;
        if (given) {
            facts.date = *given;
            facts.utcOffset = zoneOffset(*given, first);
            facts.lastOffset = zoneOffset(*given, last);
        } else if (known) {
            facts.date = known->date;
            facts.utcOffset = known->utcOffset;
            facts.lastOffset = known->lastOffset;
            facts.perSecond = known->perSecond;
            facts.dateFromFileTime = known->dateFromFileTime;
        } else if (const auto dated = DateFromPerSecondFile(path, night)) {
            facts.date = dated->date;
            facts.utcOffset = dated->utcOffset;
            facts.lastOffset = dated->lastOffset;
            facts.perSecond = dated->perSecond;
        } else {
            facts.date = DateOfRecordFile(path, night, std::nullopt);
            facts.utcOffset = zoneOffset(facts.date, first);
            facts.lastOffset = zoneOffset(facts.date, last);
            facts.dateFromFileTime = true;
        }
        timed = PlaceRecord(std::move(night), facts.date, facts.utcOffset, facts.lastOffset);
    }
    facts.nights = NightsOf(timed);
    return {std::move(facts), std::move(timed), true};
}

// A per-second file's nights from its first and last rows, without reading it all: rows are
// written in order. Reading it for its night checks this (a clock set back may break the order).
std::optional<FileFacts> QuickFacts(const QString& path)
{
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

QString NameOf(const QString& path)
{
    return PrintableName(QFileInfo(path).fileName());
}

// The files of a night read and placed in time (without the wave when only its figures are
// wanted); the nights each file really holds in found. Files that turned out empty are left out
// of timed (their index in kept).
struct ReadNight {
    std::vector<TimedNight> timed;
    std::vector<std::size_t> kept;  // the night's file each of timed is
    std::vector<std::vector<std::int64_t>> found;
    std::optional<std::pair<QString, Problem>> error;  // the file that could not be read, and why
};
ReadNight ReadNightFiles(const std::vector<ListedFile>& files, bool keepWave)
{
    ReadNight read;
    for (std::size_t i = 0; i < files.size(); ++i) {
        Placed placed = Place(files[i].file.path, &files[i].facts, keepWave);
        read.found.push_back(placed.facts.nights);
        if (!placed.timed) {
            if (placed.facts.kind == FileFacts::Kind::Empty)
                continue;
            read.error = std::pair(NameOf(files[i].file.path), placed.facts.problem);
            return read;
        }
        read.timed.push_back(std::move(*placed.timed));
        read.kept.push_back(i);
    }
    return read;
}

QStringList PathsOf(const std::vector<ListedFile>& files)
{
    QStringList paths;
    for (const ListedFile& f : files)
        paths << f.file.path;
    return paths;
}

std::vector<const TimedNight*> Pointers(const std::vector<TimedNight>& timed)
{
    std::vector<const TimedNight*> pointers;
    for (const TimedNight& t : timed)
        pointers.push_back(&t);
    return pointers;
}

// The night's figures as a row of the table.
std::optional<NightRow> RowOfNight(std::int64_t n, const std::vector<ListedFile>& files, const Night& joined)
{
    const std::optional<Figures> figures = Analyse(joined, false);
    if (!figures)
        return std::nullopt;
    QStringList names;
    for (const ListedFile& f : files)
        names << NameOf(f.file.path);
    NightRow row = RowOf(names.join(QStringLiteral(", ")).toStdString(), joined, *figures);
    row.date = DateText(CivilFromDays(n));
    // Dated by a file's time alone: no file of the night says its date.
    row.dateFromFileTime =
        std::any_of(files.begin(), files.end(), [](const ListedFile& f) { return f.facts.dateFromFileTime; }) &&
        std::none_of(files.begin(), files.end(),
                     [](const ListedFile& f) { return f.facts.kind == FileFacts::Kind::PerSecond; });
    return row;
}

// The recordings among one day's files, and the files that told no second, with why.
struct DayRead {
    DayReading reading;
    std::vector<std::vector<std::int64_t>> found;  // by the day's file
    std::optional<std::pair<QString, Problem>> error;
};
DayRead ReadDay(std::int64_t n, const std::vector<ListedFile>& files)
{
    DayRead day;
    ReadNight read = ReadNightFiles(files, false);
    day.found = std::move(read.found);
    if (read.error) {
        day.error = read.error;
        return day;
    }
    const std::vector<const TimedNight*> all = Pointers(read.timed);
    // A record file goes with the per-second file written beside it.
    std::vector<std::optional<std::size_t>> partners(all.size());
    for (std::size_t k = 0; k < all.size(); ++k)
        for (std::size_t o = 0; o < all.size(); ++o)
            if (!files[read.kept[k]].facts.perSecond.isEmpty() &&
                files[read.kept[k]].facts.perSecond == files[read.kept[o]].file.path)
                partners[k] = o;
    for (const std::vector<std::size_t>& recording : Recordings(n, all, partners)) {
        std::vector<const TimedNight*> these;
        std::vector<ListedFile> listed;
        DayReading::Part part;
        for (const std::size_t k : recording) {
            these.push_back(all[k]);
            listed.push_back(files[read.kept[k]]);
            part.files.push_back(static_cast<int>(read.kept[k]));
        }
        Joined joined = JoinNight(n, these);
        if (const NotesFile notes = ReadNotesFile(NotesPath(PathsOf(listed), n)); !notes.problem)
            Attach(joined.night, notes.notes);
        QStringList telling;
        for (std::size_t k = 0; k < listed.size(); ++k)
            if (std::find(joined.setAside.begin(), joined.setAside.end(), k) == joined.setAside.end())
                telling << NameOf(listed[k].file.path);
        for (const std::size_t k : joined.setAside)
            day.reading.apart.emplace_back(
                NameOf(listed[k].file.path),
                Problem{Problem::Code::ToldByOthers, {telling.join(QStringLiteral(", ")).toStdString()}});
        if (auto row = RowOfNight(n, listed, joined.night)) {
            part.row = std::move(*row);
            day.reading.parts.push_back(std::move(part));
        }
    }
    if (day.reading.parts.empty())
        day.error = std::pair(NameOf(files.front().file.path), Problem{Problem::Code::NothingLeft, {}});
    return day;
}

}  // namespace

const DiskLook::Seen& DiskLook::At(const QString& path)
{
    const auto known = m_seen.constFind(path);
    if (known != m_seen.constEnd())
        return *known;
    Seen seen;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        seen = {true, static_cast<qint64>(st.st_size),
                static_cast<qint64>(st.st_mtim.tv_sec) * 1000 + static_cast<qint64>(st.st_mtim.tv_nsec) / 1'000'000};
    return *m_seen.insert(path, seen);
}

const QByteArray& DiskLook::ZoneId()
{
    if (!m_zone)
        m_zone = QTimeZone::systemTimeZoneId();
    return *m_zone;
}

FolderFile FileNow(const QString& path)
{
    DiskLook look;
    return FileNow(path, look);
}

FolderFile FileNow(const QString& path, DiskLook& look)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const DiskLook::Seen& seen = look.At(absolute);
    FolderFile file{absolute, seen.size, seen.modified, {}};
    // What dates a record file: the per-second files beside it, and the time zone.
    QByteArray beside = look.ZoneId();
    for (const QString& candidate :
         PerSecondCandidates(file.path, [&look](const QString& name) { return look.At(name).exists; })) {
        const DiskLook::Seen& other = look.At(candidate);
        beside +=
            QStringLiteral("\n%1\t%2\t%3")
                .arg(QFileInfo(candidate).fileName(), QString::number(other.size), QString::number(other.modified))
                .toUtf8();
    }
    file.beside = QString::fromLatin1(QCryptographicHash::hash(beside, QCryptographicHash::Sha1).toHex());
    return file;
}

FileFacts ReadFacts(const QString& path)
{
    if (auto quick = QuickFacts(path))
        return std::move(*quick);
    return Place(path, nullptr).facts;
}

Outcome<Night> LoadFolderNight(const FolderNight& night)
{
    ReadNight read = ReadNightFiles(night.files, true);
    if (read.error)
        return {std::nullopt, FileProblem{read.error->first.toStdString(), read.error->second}};
    Joined joined = JoinNight(night.night, Pointers(read.timed));
    if (joined.night.readings.empty())
        return {std::nullopt, FileProblem{{}, {Problem::Code::NothingLeft, {}}}};
    // The notes as they are now: a person may have changed them since the listing.
    if (const NotesFile notes = ReadNotesFile(night.notesPath); !notes.problem)
        Attach(joined.night, notes.notes);
    return {std::move(joined.night), std::nullopt};
}

Outcome<FileNight> ReadFileNight(const QString& path, const std::optional<CivilDate>& date)
{
    FileNight result;
    result.read << path;
    Placed placed = Place(path, nullptr, true, date);
    if (!placed.timed) {
        // A file with nothing of a night in it is no night: the caller says so.
        if (placed.opened)
            return {std::move(result), std::nullopt};
        return {std::nullopt, FileProblem{{}, placed.facts.problem}};
    }
    std::vector<TimedNight> timed;
    timed.push_back(std::move(*placed.timed));
    if (placed.facts.kind == FileFacts::Kind::Record) {
        result.recordFile = true;
        result.read << PerSecondCandidates(path);
        result.dateFromFileTime = placed.facts.dateFromFileTime;
        // With a date given the per-second file beside it is still read when it is the one written
        // with it: it holds the record file's first clock time on that date.
        QString perSecond = placed.facts.perSecond;
        if (date && perSecond.isEmpty())
            for (const QString& candidate : PerSecondCandidates(path))
                if (const auto ends = ReadEnds(candidate); ends && CivilFromDays(ends->first / kDay) == *date) {
                    perSecond = QFileInfo(candidate).absoluteFilePath();
                    break;
                }
        if (!perSecond.isEmpty()) {
            Placed rows = Place(perSecond, nullptr);
            if (rows.timed && rows.facts.kind == FileFacts::Kind::PerSecond) {
                timed.push_back(std::move(*rows.timed));
                result.perSecond = perSecond;
                result.dateFromFileTime = false;
            }
        }
    }
    result.night = JoinNight(std::nullopt, Pointers(timed)).night;
    if (const auto evening = EveningOf(result.night)) {
        QStringList files{QFileInfo(path).absoluteFilePath()};
        if (!result.perSecond.isEmpty())
            files << result.perSecond;
        result.notesPath = NotesPath(files, *evening);
        const NotesFile notes = ReadNotesFile(result.notesPath);
        result.notesProblem = notes.problem;
        if (!notes.problem)
            Attach(result.night, notes.notes);
    }
    return {std::move(result), std::nullopt};
}

FolderListing ListFolder(const QString& folder, SummaryCache* cache, const ListingProgress& progress)
{
    auto [paths, apart] = EntriesOf(folder);
    FolderListing listing = ListFiles(paths, cache, progress);
    listing.unreadable.insert(listing.unreadable.end(), apart.begin(), apart.end());
    std::sort(listing.unreadable.begin(), listing.unreadable.end());
    if (cache && !listing.cancelled) {
        QStringList listed;
        for (const QString& path : paths)
            listed << QFileInfo(path).absoluteFilePath();
        cache->Forget(QDir(folder).absolutePath(), listed);
    }
    return listing;
}

namespace {

// One listing of files: their facts (from the cache or read), grouped into days, each day's
// recordings (from the cache or read), with progress and cancel.
class Lister {
public:
    Lister(SummaryCache* cache, const ListingProgress& progress) : m_cache(cache), m_progress(progress)
    {
        m_helper.setMaxThreadCount(1);
        m_helper.setExpiryTimeout(-1);  // one thread for the whole listing: its read buffer is kept
    }

    FolderListing Run(const QStringList& paths)
    {
        for (const QString& path : paths)
            Add(path);
        m_total = static_cast<int>(m_files.size()) * 2;
        if (m_cache)
            m_cache->Begin();
        if (!ReadAllFacts())
            return Finish();
        // Grouped by the nights the facts tell; should reading a file show other nights than its
        // facts said, the facts are mended and the nights grouped again (once: now they are read).
        for (int round = 0; round < 2; ++round) {
            m_listing.nights.clear();
            m_listing.unreadable.clear();
            std::map<std::int64_t, std::vector<std::size_t>, std::greater<>> nights;
            for (std::size_t i = 0; i < m_files.size(); ++i) {
                if (m_facts[i].kind == FileFacts::Kind::Unreadable)
                    m_listing.unreadable.emplace_back(NameOf(m_files[i].path), m_facts[i].problem);
                for (const std::int64_t n : m_facts[i].nights)
                    nights[n].push_back(i);
            }
            m_done = static_cast<int>(m_files.size());
            m_total = m_done + static_cast<int>(nights.size());
            std::vector<Day> days;
            for (auto& [n, which] : nights)
                days.push_back(LookUpDay(n, std::move(which)));
            bool mended = false;
            int sinceCommit = 0;
            const bool listed = InPairs(
                [&days] { return days.size(); }, [&](std::size_t d) { return !days[d].reading; },
                [&](std::size_t d) { return [n = days[d].n, files = days[d].files] { return ReadDay(n, files); }; },
                [&](std::size_t d, std::optional<DayRead> read) {
                    mended = ListDay(days[d], std::move(read)) || mended;
                    if (m_cache && ++sinceCommit == 16) {
                        m_cache->Commit();
                        m_cache->Begin();
                        sinceCommit = 0;
                    }
                    return Step();
                });
            if (!listed)
                return Finish();
            if (!mended)
                break;
        }
        return Finish();
    }

private:
    // A file given twice, or given and found beside a record file, is read once.
    void Add(const QString& path)
    {
        if (const QString absolute = QFileInfo(path).absoluteFilePath(); !m_taken.contains(absolute)) {
            m_taken.insert(absolute);
            m_files.push_back(FileNow(absolute, m_look));
        }
    }

    bool Step()
    {
        ++m_done;
        if (!m_progress || m_progress(m_done, m_total))
            return true;
        m_listing.cancelled = true;
        return false;
    }

    FolderListing Finish()
    {
        if (m_cache)
            m_cache->Commit();
        // A file set aside in two nights is named once.
        auto& apart = m_listing.unreadable;
        std::sort(apart.begin(), apart.end());
        apart.erase(std::unique(apart.begin(), apart.end()), apart.end());
        return std::move(m_listing);
    }

    // Runs take(i, result) for i in [0, count) in order, where result is what job(i) works out
    // when wanted(i), and nothing else. Two jobs at a time: this thread does one while the helper
    // does the next. count() may grow while it runs; false when take stops it.
    template <class Count, class Wanted, class Job, class Take>
    bool InPairs(Count count, Wanted wanted, Job job, Take take)
    {
        using Result = decltype(job(std::size_t())());
        std::optional<std::pair<std::size_t, QFuture<Result>>> ahead;  // the helper's
        for (std::size_t i = 0; i < count(); ++i) {
            std::optional<Result> result;
            if (ahead && ahead->first == i) {
                result = ahead->second.result();
                ahead.reset();
            } else if (wanted(i)) {
                std::size_t next = i + 1;
                while (next < count() && !wanted(next))
                    ++next;
                if (next < count())
                    ahead.emplace(next, QtConcurrent::run(&m_helper, job(next)));
                result = job(i)();
            }
            if (!take(i, std::move(result))) {
                if (ahead)
                    ahead->second.waitForFinished();
                return false;
            }
        }
        return true;
    }

    // Every file's facts; false when cancelled.
    bool ReadAllFacts()
    {
        std::vector<std::optional<FileFacts>> known;  // from the cache
        const auto wanted = [&](std::size_t i) {
            for (std::size_t k = known.size(); k <= i; ++k)
                known.push_back(m_cache ? m_cache->Facts(m_files[k]) : std::nullopt);
            return !known[i];
        };
        const auto job = [this](std::size_t i) { return [path = m_files[i].path] { return ReadFacts(path); }; };
        return InPairs([this] { return m_files.size(); }, wanted, job,
                       [&](std::size_t i, std::optional<FileFacts> read) {
                           if (read && m_cache)
                               m_cache->PutFacts(m_files[i], *read);
                           m_facts.resize(m_files.size());
                           m_facts[i] = read ? std::move(*read) : std::move(*known[i]);
                           // A record file's per-second file is read with it, also when it was not given.
                           if (!m_facts[i].perSecond.isEmpty()) {
                               const std::size_t before = m_files.size();
                               Add(m_facts[i].perSecond);
                               m_total += static_cast<int>(m_files.size() - before);
                           }
                           return Step();
                       });
    }

    // A day's files and what the cache holds of them.
    struct Day {
        std::int64_t n = 0;
        std::vector<std::size_t> which;
        std::vector<ListedFile> files;
        QString notesState;
        std::optional<DayReading> reading;  // from the cache
    };
    Day LookUpDay(std::int64_t n, std::vector<std::size_t> which)
    {
        Day day{n, std::move(which), {}, {}, {}};
        for (const std::size_t i : day.which)
            day.files.push_back({m_files[i], m_facts[i]});
        if (m_cache) {
            day.notesState = NotesState(PathsOf(day.files), n, m_look);
            day.reading = m_cache->Day(n, day.files, day.notesState);
        }
        return day;
    }

    // The day's recordings into the listing, from the cache or as read; true when a file's facts
    // were mended.
    bool ListDay(Day& day, std::optional<DayRead> read)
    {
        const std::int64_t n = day.n;
        const std::vector<std::size_t>& which = day.which;
        const std::vector<ListedFile>& dayFiles = day.files;
        bool mended = false;
        std::optional<DayReading>& reading = day.reading;
        if (read) {
            for (std::size_t k = 0; k < which.size() && k < read->found.size(); ++k) {
                FileFacts& facts = m_facts[which[k]];
                if (read->found[k] != facts.nights && facts.kind == FileFacts::Kind::PerSecond &&
                    !read->found[k].empty()) {
                    facts.nights = read->found[k];
                    if (m_cache)
                        m_cache->PutFacts(m_files[which[k]], facts);
                    mended = true;
                }
            }
            if (read->error)
                m_listing.unreadable.push_back(*read->error);
            else if (m_cache)
                m_cache->PutDay(n, dayFiles, day.notesState, read->reading);
            reading = std::move(read->reading);
        }
        m_listing.unreadable.insert(m_listing.unreadable.end(), reading->apart.begin(), reading->apart.end());
        const auto& parts = reading->parts;
        for (std::size_t p = 0; p < parts.size(); ++p) {
            FolderNight night{n, static_cast<int>(p), {}, parts[p].row, {}, {}, {}};
            for (const int k : parts[p].files)
                night.files.push_back(dayFiles[static_cast<std::size_t>(k)]);
            night.notesPath = NotesPath(PathsOf(night.files), n);
            NotesFile notes = ReadNotesFile(night.notesPath);
            if (notes.problem)
                m_listing.unreadable.emplace_back(NameOf(night.notesPath), *notes.problem);
            night.notes = std::move(notes.notes);
            night.notesProblem = std::move(notes.problem);
            m_listing.nights.push_back(std::move(night));
        }
        return mended;
    }

    SummaryCache* m_cache;
    const ListingProgress& m_progress;
    FolderListing m_listing;
    std::vector<FolderFile> m_files;
    std::vector<FileFacts> m_facts;
    QSet<QString> m_taken;
    int m_done = 0, m_total = 0;
    QThreadPool m_helper;  // one thread beside the listing's own
    DiskLook m_look;
};

}  // namespace

FolderListing ListFiles(const QStringList& paths, SummaryCache* cache, const ListingProgress& progress)
{
    return Lister(cache, progress).Run(paths);
}

}  // namespace trelvo::report
