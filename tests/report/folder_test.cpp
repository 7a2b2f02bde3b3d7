// The nights of a folder: grouped by time, not by file, and kept in the summary cache.

#include "lang/string_table.h"
#include "report/formats/nights.h"
#include "report/library/folder.h"
#include "report/library/night_notes.h"
#include "report/library/summary_cache.h"
#include "report/night_text.h"
#include "report/words/summary_text.h"
#include "support/time_zone.h"

#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace trelvo::report {
namespace {

void Write(const QString& path, const std::string& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

// Per-second rows in a zone: the local time and the offset of each second, by the zone's rules.
std::string ZonedRows(qint64 fromUtc, int count, int spo2 = 96)
{
    std::string text = std::string(recording::kPerSecondHeader) + "\r\n";
    for (int i = 0; i < count; ++i) {
        const QDateTime t = QDateTime::fromSecsSinceEpoch(fromUtc + i);
        text += t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate).toStdString() + "," + std::to_string(spo2) +
                ",70,ok,100 120\r\n";
    }
    return text;
}

std::vector<std::string> Dates(const FolderListing& listing)
{
    std::vector<std::string> dates;
    for (const FolderNight& n : listing.nights)
        dates.push_back(n.row.date);
    return dates;
}

TEST(FolderNights, ANightIsATimeNotAFile)
{
    test::TimeZone zone("Europe/Berlin");
    QTemporaryDir dir;
    const QString d = dir.path();
    // A record file with its per-second file: one night, told by the per-second rows (one a second),
    // the record file's lines only where the rows have nothing (its last minute).
    Write(d + "/a.txt", RecordText(21 * 3600).Add(720 + 12, "95").Text());
    Write(d + "/a.csv",
          RowText("2026-12-01", 21 * 3600).Add(3600, "97").Text());  // the rows say their clock runs on UTC
    // Two recordings of one night, the first ended by a kill in the middle of a row, then
    // started again: the second per-second file has a name of its own, the gap between is no data.
    std::string killed = RowText("2026-12-03", 21 * 3600).Add(1800, "94").Text();
    killed += "2026-12-03T21:30:00+00:00,9";
    Write(d + "/b.csv", killed);
    Write(d + "/b.txt", RecordText(22 * 3600).Add(360, "96").Text());
    Write(d + "/b-2.csv", RowText("2026-12-03", 22 * 3600).Add(1800, "96").Text());
    // Across midnight and the end of summer time (03:00 CEST becomes 02:00 CET): one night of 9 h.
    Write(d + "/c.csv", ZonedRows(QDateTime(QDate(2026, 10, 24), QTime(22, 0)).toSecsSinceEpoch(), 9 * 3600));
    // The night after it, begun at 13:00: a night of its own.
    Write(d + "/d.csv", ZonedRows(QDateTime(QDate(2026, 10, 25), QTime(13, 0)).toSecsSinceEpoch(), 600));
    // Someone else's files, and a recording that has only just begun.
    Write(d + "/notes.txt", "Bring the charger.\r\n");
    Write(d + "/prices.csv", "item,price\r\nbread,2\r\n");
    Write(d + "/e.csv", std::string(recording::kPerSecondHeader) + "\r\n");

    const FolderListing listing = ListFolder(d, nullptr, {});
    ASSERT_EQ(Dates(listing), (std::vector<std::string>{"2026-12-03", "2026-12-01", "2026-10-25", "2026-10-24"}));
    const NightRow& a = listing.nights[1].row;
    EXPECT_EQ(a.name, "a.csv, a.txt");
    EXPECT_EQ(a.step, 1);
    EXPECT_NEAR(a.analysedHours, 1 + 60 / 3600.0, 1e-9);  // the record file's last minute is its own
    EXPECT_NEAR(*a.spo2Mean, (3600 * 97 + 60 * 95) / 3660.0, 1e-9);
    EXPECT_EQ(a.start, "21:00");
    EXPECT_EQ(a.end, "22:01");

    const NightRow& b = listing.nights[0].row;
    EXPECT_EQ(b.name, "b-2.csv, b.csv, b.txt");
    EXPECT_NEAR(b.analysedHours, 1, 1e-9);  // 30 min, the half-row left out, 30 min
    EXPECT_NEAR(b.recordingHours, 1.5, 1e-9);
    EXPECT_NEAR(*b.spo2Mean, 95, 1e-9);
    EXPECT_EQ(b.start, "21:00");
    EXPECT_EQ(b.end, "22:30");

    const NightRow& c = listing.nights[3].row;
    EXPECT_NEAR(c.recordingHours, 9, 1e-9);
    EXPECT_EQ(c.start, "22:00");
    EXPECT_EQ(c.end, "06:00");
    EXPECT_EQ(listing.nights[2].row.start, "13:00");

    ASSERT_EQ(listing.unreadable.size(), 2u);
    EXPECT_EQ(listing.unreadable[0].first, "notes.txt");
    EXPECT_EQ(Words(listing.unreadable[0].second, Speech(lang::kEnglish)), "it holds no readings of a recording");
    EXPECT_EQ(listing.unreadable[1].first, "prices.csv");

    // A night's row is that night's own figures, whichever files it was joined from; and a range of
    // dates picks nights by their evenings, the night across the end of summer time included.
    for (const FolderNight& n : listing.nights) {
        const auto whole = LoadFolderNight(n).value;
        ASSERT_TRUE(whole);
        const NightRow own = RowOf(n.row.name, *whole, *Analyse(*whole, false));
        EXPECT_EQ(own.analysedHours, n.row.analysedHours) << n.row.date;
        EXPECT_EQ(own.spo2Mean, n.row.spo2Mean);
        EXPECT_EQ(own.t90Minutes, n.row.t90Minutes);
        EXPECT_EQ(own.odi3, n.row.odi3);
        EXPECT_EQ(own.pulseMean, n.row.pulseMean);
    }
    std::vector<std::string> october;
    for (const FolderNight& n : listing.nights)
        if (NightInRange(n.row, QDate(2026, 10, 24), QDate(2026, 11, 30)))
            october.push_back(n.row.name);
    EXPECT_EQ(october, (std::vector<std::string>{"d.csv", "c.csv"}));

    // Stopped at the first step, the listing says so and holds what was done.
    const FolderListing stopped = ListFolder(d, nullptr, [](int, int) { return false; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.nights.empty());

    // The night with the gap, loaded whole: the seconds between the recordings hold no reading.
    const auto night = LoadFolderNight(listing.nights[0]).value;
    ASSERT_TRUE(night);
    const auto figures = Analyse(*night, false);
    EXPECT_NEAR(figures->noDataSeconds, 1800, 1e-9);
    EXPECT_EQ(night->readings.size(), 3600u);
    EXPECT_EQ(night->wave.size(), 0u);
}

TEST(SummaryCache, UsedWhileTheFilesStayTheSameAndMadeAfreshWhenItCannotBeRead)
{
    test::TimeZone zone("UTC");
    QTemporaryDir dir;
    const QString d = dir.path() + "/nights", cachePath = dir.path() + "/cache/nights.sqlite";
    QDir().mkpath(d);
    const auto spo2Of = [&](SummaryCache* cache) {
        const FolderListing l = ListFolder(d, cache, {});
        return l.nights.size() == 1 && l.nights[0].row.spo2Mean ? *l.nights[0].row.spo2Mean : -1.0;
    };
    // Same size, same modification time, other values: only a cache would still tell the old ones.
    const auto swapBehindItsBack = [&](const std::string& spo2) {
        const QString path = d + "/n.csv";
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        Write(path, RowText("2026-12-07", 22 * 3600).Add(600, spo2).Text());
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
    };
    Write(d + "/n.csv", RowText("2026-12-07", 22 * 3600).Add(600, "97").Text());
    {
        SummaryCache cache(cachePath);
        ASSERT_TRUE(cache.Usable());
        EXPECT_EQ(spo2Of(&cache), 97);
        swapBehindItsBack("93");
        EXPECT_EQ(spo2Of(&cache), 97) << "an unchanged file is not read again";
        // The night being recorded grows: its file changed, so it is read again.
        Write(d + "/n.csv", RowText("2026-12-07", 22 * 3600).Add(600, "93").Add(600, "95").Text());
        EXPECT_EQ(spo2Of(&cache), 94);
    }
    // Damaged, or from an older version: made afresh, without a word.
    {
        QFile f(cachePath);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(0);
        f.write("this is no database at all, whatever its name says.");
    }
    {
        SummaryCache cache(cachePath);
        EXPECT_TRUE(cache.Usable());
        EXPECT_EQ(spo2Of(&cache), 94);
    }
    {
        auto db = QSqlDatabase::addDatabase("QSQLITE", "older");
        db.setDatabaseName(cachePath);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("PRAGMA user_version = 0");
        QSqlQuery(db).exec("UPDATE nights SET row = '{\"date\":\"1999-01-01\"}'");
        db.close();
    }
    QSqlDatabase::removeDatabase("older");
    {
        SummaryCache cache(cachePath);
        EXPECT_TRUE(cache.Usable());
        swapBehindItsBack("91");
        EXPECT_EQ(spo2Of(&cache), 91) << "nothing of the older cache is used";
    }
    // A cache that cannot be made only costs time.
    SummaryCache nowhere(QStringLiteral("/proc/trelvo/nights.sqlite"));
    EXPECT_FALSE(nowhere.Usable());
    EXPECT_EQ(spo2Of(&nowhere), 91);
}

}  // namespace
}  // namespace trelvo::report

namespace trelvo::report {
namespace {

std::string Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(none)");
}

// A night's notes file beside its files: read at every listing (a change of its marks is counted
// again, the cache notwithstanding); one that is someone else's or damaged is named with why, the
// night counted without it, and it is set aside, never written over, when notes are written.
TEST(NightNotesFile, ReadWithEveryListingAndNeverWrittenOverWhenItIsNotOurs)
{
    QTemporaryDir dir;
    Write(dir.filePath("n.csv"), RowText("2026-12-07", 23 * 3600).Add(600, "96").Add(60, "90").Add(600, "96").Text());
    SummaryCache cache(dir.filePath("cache.sqlite"));
    const auto list = [&] { return ListFolder(dir.path(), &cache, {}); };
    const FolderListing plain = list();
    ASSERT_EQ(plain.nights.size(), 1U);
    const QString notes = plain.nights[0].notesPath;
    EXPECT_EQ(QFileInfo(notes).fileName(), "n.2026-12-07.notes");
    EXPECT_EQ(plain.nights[0].row.odi3.value_or(-1) > 0, true);

    NightNotes mine;
    mine.note = "slept badly";
    mine.marks.push_back({{2026, 12, 7}, {2026, 12, 7}, 23 * 3600 + 9 * 60, 23 * 3600 + 12 * 60, "probe slipped"});
    ASSERT_FALSE(WriteNotesFile(notes, mine));
    const FolderListing marked = list();
    EXPECT_EQ(marked.nights[0].notes, mine);
    EXPECT_EQ(marked.nights[0].row.odi3, 0.0) << "the dip is in the marked stretch";
    EXPECT_TRUE(marked.unreadable.empty());

    for (const auto& [text, problem] :
         {std::pair{std::string("my shopping list\n"), Problem{Problem::Code::NotesForeign, {}}},
          std::pair{std::string("trelvo-notes: 1\nnote: x\nexclude: yesterday\n"),
                    Problem{Problem::Code::NotesDamaged, {"3"}}}}) {
        Write(notes, text);
        const FolderListing listing = list();
        ASSERT_EQ(listing.nights.size(), 1U) << "never fatal";
        EXPECT_EQ(listing.nights[0].row.odi3, plain.nights[0].row.odi3) << "counted without it";
        ASSERT_EQ(listing.unreadable.size(), 1U);
        EXPECT_EQ(listing.unreadable[0], std::pair(QString("n.2026-12-07.notes"), problem));
    }
    QString kept;
    ASSERT_FALSE(WriteNotesFile(notes, mine, &kept));
    EXPECT_EQ(QFileInfo(kept).fileName(), "n.2026-12-07.notes.kept");
    EXPECT_EQ(Read(kept), "trelvo-notes: 1\nnote: x\nexclude: yesterday\n");
    EXPECT_EQ(ReadNotesFile(notes).notes, mine);
    // The command line reads the same file for the same night.
    const Outcome<FileNight> read = ReadFileNight(dir.filePath("n.csv"), std::nullopt);
    ASSERT_TRUE(read.value);
    EXPECT_EQ(read.value->notesPath, notes);
    EXPECT_EQ(read.value->night.note, "slept badly");
}

}  // namespace
}  // namespace trelvo::report
