// A night's figures whatever a folder holds: each second counted once, the cache no other truth
// than the files, and nothing in the folder that can hang, flood or hide from the listing.

#include "lang/string_table.h"
#include "report/files/regular_file.h"
#include "report/library/folder.h"
#include "report/library/summary_cache.h"
#include "report/night_text.h"
#include "report/words/summary_text.h"
#include "support/time_zone.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trelvo::report {
namespace {

void Write(const QString& path, const std::string& text, std::optional<QDateTime> modified = std::nullopt)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
    f.flush();  // else closing writes, and the time is now again
    if (modified) {
        ASSERT_TRUE(f.setFileTime(*modified, QFileDevice::FileModificationTime));
    }
}

// Rows as the recorder writes them: with the wave column.
std::string WithWave(const std::string& rows)
{
    std::string text = std::string(recording::kPerSecondHeader);
    std::size_t at = rows.find("\r\n");
    while (at != std::string::npos) {
        const std::size_t next = rows.find("\r\n", at + 2);
        if (next == std::string::npos)
            break;
        text += "\r\n" + rows.substr(at + 2, next - at - 2) + ",100 140 120";
        at = next;
    }
    return text + "\r\n";
}

bool SameRow(const NightRow& a, const NightRow& b)
{
    return a.name == b.name && a.date == b.date && a.analysedHours == b.analysedHours && a.spo2Mean == b.spo2Mean &&
           a.spo2Min == b.spo2Min && a.t90Minutes == b.t90Minutes && a.odi3 == b.odi3 && a.odi4 == b.odi4 &&
           a.pulseMean == b.pulseMean && a.start == b.start && a.end == b.end && a.recordingHours == b.recordingHours &&
           a.step == b.step && a.hasWave == b.hasWave && a.dateFromFileTime == b.dateFromFileTime;
}

::testing::AssertionResult SameListing(const FolderListing& a, const FolderListing& b)
{
    if (a.nights.size() != b.nights.size())
        return ::testing::AssertionFailure() << a.nights.size() << " nights against " << b.nights.size();
    for (std::size_t i = 0; i < a.nights.size(); ++i)
        if (!SameRow(a.nights[i].row, b.nights[i].row) || a.nights[i].part != b.nights[i].part)
            return ::testing::AssertionFailure()
                   << "night " << i << ": " << a.nights[i].row.name << " " << a.nights[i].row.date << " against "
                   << b.nights[i].row.name << " " << b.nights[i].row.date;
    if (a.unreadable != b.unreadable)
        return ::testing::AssertionFailure() << "the files apart differ";
    return ::testing::AssertionSuccess();
}

std::string Why(const FolderListing& listing, const QString& name)
{
    for (const auto& [file, why] : listing.unreadable)
        if (file == name)
            return Words(why, Speech(lang::kEnglish));
    return {};
}

TEST(NightSafety, EachSecondCountsOnceWhateverFilesTellIt)
{
    test::TimeZone zone("UTC");
    QTemporaryDir dir;
    const QString d = dir.path();
    const std::string rows = RowText("2026-12-07", 22 * 3600).Add(1800, "96").Add(600, "85").Add(1800, "96").Text();
    Write(d + "/night.csv", WithWave(rows));
    Write(d + "/night.txt", RecordText(22 * 3600).Add(360, "96").Add(120, "85").Add(360, "96").Text());
    const FolderListing alone = ListFolder(d, nullptr, {});
    ASSERT_EQ(alone.nights.size(), 1u);
    // The window's export without the wave, and a copy of the per-second file, saved beside it.
    Write(d + "/export.csv", std::string(recording::kPerSecondHeaderWithoutWave) + rows.substr(rows.find("\r\n")));
    QFile::copy(d + "/night.csv", d + "/night copy.csv");
    const FolderListing listing = ListFolder(d, nullptr, {});
    ASSERT_EQ(listing.nights.size(), 1u);
    const NightRow& row = listing.nights[0].row;
    EXPECT_NEAR(row.analysedHours, 70 / 60.0, 1e-9);
    EXPECT_NEAR(row.recordingHours, 70 / 60.0, 1e-9);
    EXPECT_NEAR(row.t90Minutes, 10, 1e-9);
    EXPECT_EQ(row.odi3, alone.nights[0].row.odi3);
    // The file with the wave tells the seconds; the others are named, with why.
    EXPECT_EQ(Why(listing, "export.csv"), "every second it tells is told by night copy.csv, night.txt");
    EXPECT_EQ(Why(listing, "night.csv"), "every second it tells is told by night copy.csv, night.txt");

    // One instant told twice in one file, with two offsets: one second.
    Write(d + "/twice.csv", std::string(recording::kPerSecondHeaderWithoutWave) +
                                "\r\n2026-12-01T21:31:17+00:01,97,70,ok\r\n2026-12-01T21:30:17+00:00,97,73,ok\r\n");
    const auto twice = ReadFileNight(d + "/twice.csv", std::nullopt).value;
    ASSERT_TRUE(twice);
    ASSERT_EQ(twice->night.readings.size(), 1u);
    EXPECT_EQ(*twice->night.readings[0].pulse, 70) << "the first told";
    // The same record line twice: five seconds, once.
    Write(d + "/lines.txt", RecordText(3600).Add(1, "95").Text() + RecordText(3600).Add(2, "95").Text());
    const auto lines = ReadFileNight(d + "/lines.txt", CivilDate{2026, 12, 2}).value;
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->night.readings.size(), 2u);
}

TEST(NightSafety, RecordingsThatDisagreeStayApartAndSayHowTheyAreDated)
{
    test::TimeZone zone("UTC");
    QTemporaryDir dir;
    const QString d = dir.path();
    // Three nights' record files copied without their times: all dated by today's copy, with the
    // same clock times and different values.
    const QDateTime copied(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
    for (const auto& [name, spo2] : {std::pair{"night1.txt", "95"}, {"night2.txt", "91"}, {"night3.txt", "97"}})
        Write(d + "/" + name, RecordText(23 * 3600).Add(720, spo2).Text(), copied);
    // Two units recording at once into per-second files of their own.
    Write(d + "/unit1.csv", RowText("2026-12-01", 22 * 3600).Add(600, "94").Text());
    Write(d + "/unit2.csv", RowText("2026-12-01", 22 * 3600).Add(600, "98").Text());
    Write(d + "/unit2.txt", RecordText(22 * 3600).Add(120, "98").Text());  // goes with its own rows
    // A record file of another night copied in, dated by its copy to this evening: apart, and it
    // does not take the place of the record file written with its per-second file.
    Write(d + "/a-copy.txt", RecordText(22 * 3600).Add(120, "90").Text(),
          QDateTime(QDate(2026, 12, 1), QTime(23, 0), Qt::UTC));
    const FolderListing listing = ListFolder(d, nullptr, {});
    ASSERT_EQ(listing.nights.size(), 6u);
    std::set<std::string> names;
    for (const FolderNight& n : listing.nights) {
        names.insert(n.row.name);
        EXPECT_LE(n.row.analysedHours, n.row.recordingHours + 1e-9);
        EXPECT_EQ(n.row.dateFromFileTime, n.row.name.ends_with(".txt") && !n.row.name.starts_with("unit"))
            << n.row.name;
    }
    EXPECT_EQ(names, (std::set<std::string>{"a-copy.txt", "night1.txt", "night2.txt", "night3.txt", "unit1.csv",
                                            "unit2.csv, unit2.txt"}));
    EXPECT_NE(NightsTable({listing.nights[0].row}, Speech(lang::kEnglish)).find("(date from the file's time)"),
              std::string::npos);
    EXPECT_TRUE(listing.unreadable.empty());
}

TEST(NightSafety, TheCommandLineReadsANightAsTheFolderDoes)
{
    test::TimeZone zone("UTC");
    QTemporaryDir dir;
    const QString d = dir.path();
    // The record file goes on ten minutes after its per-second file stopped.
    Write(d + "/night.txt", RecordText(22 * 3600).Add(720 + 120, "93").Text());
    Write(d + "/night.csv", WithWave(RowText("2026-12-07", 22 * 3600).Add(3600, "95").Text()));
    const FolderListing listing = ListFolder(d, nullptr, {});
    ASSERT_EQ(listing.nights.size(), 1u);
    const auto read = ReadFileNight(d + "/night.txt", std::nullopt).value;
    ASSERT_TRUE(read);
    EXPECT_EQ(read->perSecond, QFileInfo(d + "/night.csv").absoluteFilePath());
    const auto figures = Analyse(read->night, false);
    ASSERT_TRUE(figures);
    const NightRow row = RowOf("night.csv, night.txt", read->night, *figures);
    EXPECT_NEAR(row.analysedHours, 70 / 60.0, 1e-9);
    EXPECT_EQ(row.analysedHours, listing.nights[0].row.analysedHours);
    EXPECT_EQ(row.spo2Mean, listing.nights[0].row.spo2Mean);
}

TEST(NightSafety, WhatNoFileIsOrNoNightCanBeIsListedApartAndCostsNothing)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    Write(d + "/night.txt", RecordText(22 * 3600).Add(100, "95").Text());
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + "/night.csv").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + "/pipe.txt").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", d + "/zero.csv"));
    ASSERT_TRUE(QFile::link(d + "/gone.csv", d + "/nowhere.csv"));
    {
        QFile big(d + "/big.csv");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(2LL << 30));  // sparse: no disk taken
    }
    const QByteArray latin1 = QFile::encodeName(d) + "/M\xfcller.txt";
    ASSERT_GE(::creat(latin1.constData(), 0600), 0);
    QDir().mkdir(d + "/folder.csv");

    const FolderListing listing = ListFolder(d, nullptr, {});
    ASSERT_EQ(listing.nights.size(), 1u);
    EXPECT_EQ(listing.nights[0].row.name, "night.txt");
    EXPECT_EQ(Why(listing, "night.csv"), "it is a pipe, not a file: not read");
    EXPECT_EQ(Why(listing, "pipe.txt"), "it is a pipe, not a file: not read");
    EXPECT_EQ(Why(listing, "zero.csv"), "it is a device, not a file: not read");
    EXPECT_EQ(Why(listing, "nowhere.csv"), "it is a link that leads nowhere");
    EXPECT_EQ(Why(listing, "big.csv"), "at 2048 MB it is larger than a night's recording can be: not read");
    EXPECT_EQ(Why(listing, "M\\xfcller.txt"), "its name is not UTF-8 text: rename it to read it");
    EXPECT_EQ(listing.unreadable.size(), 6u);
    // Names are shown as a person can read them: no control character reaches a terminal.
    ::unlink(latin1.constData());  // a name the temporary folder cannot remove
    EXPECT_EQ(PrintableName(QString::fromUtf8("a\u202Eb\nc\u00e4.txt")),
              QString::fromUtf8("a\\xe2\\x80\\xaeb\\x0ac\u00e4.txt"));
}

// A file of someone else's is named with its owner, and a file that is no recording says so, in
// the user's language. Root reads every file: as root the folder is listed by a child that is
// nobody.
TEST(NightSafety, AFileOfSomeoneElsesIsNamedWithItsOwnerInTheUsersLanguage)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0755), 0);
    Write(d + "/night.txt", RecordText(22 * 3600).Add(100, "95").Text());
    Write(d + "/notes.txt", "Ladegerät mitnehmen\r\n");
    Write(d + "/theirs.csv", "2026-12-01T22:00:00+00:00,96,60,ok,\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(d + "/theirs.csv").constData(), 0), 0);
    const auto reasons = [&] {
        std::string text;
        for (const auto& [file, why] : ListFolder(d, nullptr, {}).unreadable)
            text += file.toStdString() + ": " + Words(why, Speech(lang::kGerman)) + "\n";
        return text;
    };
    std::string said;
    if (::geteuid() != 0) {
        said = reasons();
    } else {
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(out[0]);
            const std::string text = ::setgid(65534) == 0 && ::setuid(65534) == 0 ? reasons() : "still root";
            const bool written = ::write(out[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
            ::_exit(written ? 0 : 1);
        }
        ::close(out[1]);
        char buffer[4096];
        for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, static_cast<std::size_t>(n));
        ::close(out[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    }
    const std::string owner = QFileInfo(d + "/theirs.csv").owner().toStdString();
    EXPECT_EQ(said, "notes.txt: sie enthält keine Messwerte einer Aufzeichnung\n"
                    "theirs.csv: Sie dürfen sie nicht lesen: sie gehört " +
                        owner + "\n");
}

// Record lines every five seconds on a Berlin clock, from a local start for a span of real time.
std::string BerlinLines(const QDateTime& start, int seconds)
{
    std::string text;
    for (int i = 0; i < seconds; i += 5)
        text += "S 95 P 60 T " + start.addSecs(i).toString(QStringLiteral("HH:mm:ss")).toStdString() + "  OK!\r\n";
    return text;
}

TEST(NightSafety, ARecordFileKeepsTheClockAcrossAChangeOfSummerTime)
{
    test::TimeZone zone("Europe/Berlin");
    QTemporaryDir dir;
    const QString d = dir.path();
    struct Case {
        QDateTime start;
        std::vector<std::string> hours;
    };
    for (const Case& c :
         {Case{QDateTime(QDate(2026, 3, 28), QTime(23, 24)), {"23:00", "00:00", "01:00", "03:00", "04:00", "05:00"}},
          Case{QDateTime(QDate(2026, 10, 24), QTime(23, 24)),
               {"23:00", "00:00", "01:00", "02:00 (+02:00)", "02:00 (+01:00)", "03:00"}}}) {
        // Five hours of real time, dated as given and by the per-second file beside it.
        Write(d + "/night.txt", BerlinLines(c.start, 5 * 3600));
        const auto given = ReadFileNight(d + "/night.txt",
                                         CivilDate{c.start.date().year(), c.start.date().month(), c.start.date().day()})
                               .value;
        ASSERT_TRUE(given);
        const auto figures = Analyse(given->night, false);
        ASSERT_TRUE(figures);
        EXPECT_NEAR(figures->end - figures->start, 5 * 3600, 1e-9);
        std::vector<double> starts;
        for (const auto& hour : figures->hours)
            starts.push_back(hour.start);
        EXPECT_EQ(HourTexts(given->night, starts), c.hours);
    }
}

// A cache with entries for these files whose facts claim what no file can hold.
void Poison(const QString& cachePath)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("poison"));
    db.setDatabaseName(cachePath);
    ASSERT_TRUE(db.open());
    QString nights;
    for (int n = 0; n < 200000; ++n)
        nights += QString::number(20000 + n) + (n + 1 < 200000 ? QStringLiteral(" ") : QString());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(
        QStringLiteral("UPDATE files SET kind = 1, year = 2026, month = 12, day = 1, nights = '%1'").arg(nights)));
    ASSERT_TRUE(q.exec(QStringLiteral("UPDATE nights SET day = '{\"parts\":[{\"files\":[0],\"row\":{\"date\":"
                                      "\"2026-12-01\",\"analysed\":1e9}}]}'")));
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("poison"));
}

TEST(NightSafety, TheCacheIsNoOtherTruthThanTheFiles)
{
    test::TimeZone zone("UTC");
    QTemporaryDir dir, cacheDir;
    const QString d = dir.path(), cachePath = cacheDir.filePath("nights.sqlite");
    // Record files copied in with a plain cp, listed; then their per-second files copied in.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int n = 0; n < 2; ++n) {
        Write(d + QStringLiteral("/night%1.txt").arg(n), RecordText(22 * 3600).Add(720, n ? "93" : "96").Text(), now);
    }
    {
        SummaryCache cache(cachePath);
        (void)ListFolder(d, &cache, {});
    }
    for (int n = 0; n < 2; ++n)
        Write(d + QStringLiteral("/night%1.csv").arg(n),
              RowText(n == 0 ? "2026-12-05" : "2026-12-06", 22 * 3600).Add(3600, n ? "93" : "96").Text());
    const FolderListing fresh = ListFolder(d, nullptr, {});
    ASSERT_EQ(fresh.nights.size(), 2u);
    EXPECT_EQ(fresh.nights[0].row.date, "2026-12-06");
    {
        SummaryCache cache(cachePath);
        EXPECT_TRUE(SameListing(ListFolder(d, &cache, {}), fresh));
        EXPECT_TRUE(SameListing(ListFolder(d, &cache, {}), fresh)) << "from the cache";
    }
    // Entries that claim 200,000 nights or a night of 10⁹ hours are no more than a wrong file.
    Poison(cachePath);
    {
        SummaryCache cache(cachePath);
        EXPECT_TRUE(SameListing(ListFolder(d, &cache, {}), fresh));
    }
    // A file gone, or grown while recording: its old entries are forgotten.
    QFile::remove(d + "/night0.txt");
    QFile::remove(d + "/night0.csv");
    Write(d + "/night1.csv", RowText("2026-12-06", 22 * 3600).Add(3700, "93").Text());
    {
        SummaryCache cache(cachePath);
        (void)ListFolder(d, &cache, {});
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
    db.setDatabaseName(cachePath);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT (SELECT count(*) FROM files), (SELECT count(*) FROM nights)")) &&
                q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    EXPECT_EQ(q.value(1).toInt(), 1);
    q = QSqlQuery();
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
}

TEST(NightSafety, TheCacheNeverFollowsALinkNorDeletesACacheThatIsBusy)
{
    QTemporaryDir dir, cacheDir;
    Write(dir.filePath("night.csv"), RowText("2026-12-06", 22 * 3600).Add(600, "93").Text());
    const QString other = cacheDir.filePath("other.sqlite"), link = cacheDir.filePath("nights.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(other);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE files (mine TEXT)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO files VALUES ('kept')")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    ASSERT_TRUE(QFile::link(other, link));
    {
        SummaryCache cache(link);
        EXPECT_FALSE(cache.Usable());
        EXPECT_EQ(ListFolder(dir.path(), &cache, {}).nights.size(), 1u);
    }
    const QString busy = cacheDir.filePath("busy.sqlite");
    {
        SummaryCache made(busy);
    }
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
    for (const QString& path : {other, busy}) {
        holder.setDatabaseName(path);
        ASSERT_TRUE(holder.open());
        QSqlQuery q(holder);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT * FROM files")));
        EXPECT_EQ(path == other, q.next()) << "the other database keeps its table";
        if (path == busy)
            ASSERT_TRUE(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        else
            holder.close();
    }
    {
        SummaryCache cache(busy);
        EXPECT_FALSE(cache.Usable());
        EXPECT_EQ(ListFolder(dir.path(), &cache, {}).nights.size(), 1u);
    }
    QSqlQuery(holder).exec(QStringLiteral("ROLLBACK"));
    holder.close();
    holder = {};
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    SummaryCache again(busy);
    EXPECT_TRUE(again.Usable()) << "the busy cache was left as it was";
}

// Random folders: nights with and without their per-second files, copies with and without their
// times, exports beside the night, overlapping per-second files, other people's files; the cache
// kept between changes.
TEST(NightSafety, AnyFolderCountsEachSecondOnceAndTheCacheChangesNothing)
{
    test::TimeZone zone("UTC");
    const int seed = static_cast<int>(std::random_device{}());
    std::mt19937 random(static_cast<unsigned>(seed));
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    QTemporaryDir cacheDir;
    for (int round = 0; round < 12; ++round) {
        QTemporaryDir dir;
        const QString d = dir.path();
        SummaryCache cache(cacheDir.filePath(QStringLiteral("c%1.sqlite").arg(round)));
        for (int change = 0; change < 4; ++change) {
            const int night = pick(4);
            const std::string date = "2026-12-0" + std::to_string(1 + night);
            const int start = 21 * 3600 + pick(4) * 1800;
            const std::string spo2 = std::to_string(88 + pick(10));
            const QString base = d + QStringLiteral("/n%1-%2").arg(night).arg(change);
            const std::string rows = RowText(date, start).Add(300 + pick(300), spo2).Add(60, "85").Text();
            switch (pick(6)) {
            case 0:  // a recording with both its files
                Write(base + ".csv", WithWave(rows));
                Write(base + ".txt", RecordText(start).Add(80 + pick(60), spo2).Text());
                break;
            case 1:  // a record file alone, copied without its time
                Write(base + ".txt", RecordText(start).Add(60 + pick(60), spo2).Text(),
                      QDateTime(QDate(2026, 12, 8), QTime(8, 0), Qt::UTC));
                break;
            case 2:  // an export beside a per-second file
                Write(base + ".csv", WithWave(rows));
                Write(base + "-export.csv",
                      std::string(recording::kPerSecondHeaderWithoutWave) + rows.substr(rows.find("\r\n")));
                break;
            case 3:  // a per-second file and a later part of it
                Write(base + ".csv", rows);
                Write(base + "-tail.csv",
                      std::string(recording::kPerSecondHeaderWithoutWave) + "\r\n" +
                          rows.substr(rows.size() / 2 + rows.substr(rows.size() / 2).find("\r\n") + 2));
                break;
            case 4:  // someone else's file
                Write(base + ".txt", "shopping: bread\r\n");
                break;
            default:  // a copy of a file already there, with or without its time
                if (const QStringList there = QDir(d).entryList(QDir::Files); !there.isEmpty()) {
                    const QString from = d + "/" + there[pick(static_cast<int>(there.size()))];
                    const QString to = base + "-copy." + QFileInfo(from).suffix();
                    QFile::copy(from, to);
                    if (pick(2) == 0) {
                        QFile copy(to);
                        ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
                        copy.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
                    }
                }
            }
            const FolderListing fresh = ListFolder(d, nullptr, {});
            ASSERT_TRUE(SameListing(ListFolder(d, &cache, {}), fresh)) << "seed " << seed;
            ASSERT_TRUE(SameListing(ListFolder(d, &cache, {}), fresh)) << "seed " << seed << ", from the cache";
            std::set<QString> accounted;
            for (const auto& [name, why] : fresh.unreadable)
                accounted.insert(name);
            for (const FolderNight& n : fresh.nights) {
                EXPECT_LE(n.row.analysedHours, n.row.recordingHours + 1e-9) << "seed " << seed;
                for (const ListedFile& f : n.files)
                    accounted.insert(QFileInfo(f.file.path).fileName());
                // A night of one file, or of a record file with its own per-second file, reads the
                // same on the command line.
                const bool single = n.files.size() == 1;
                const bool pair = n.files.size() == 2 && n.files[1].facts.perSecond == n.files[0].file.path;
                if (single || pair) {
                    const auto read = ReadFileNight(n.files[pair ? 1 : 0].file.path, std::nullopt).value;
                    ASSERT_TRUE(read);
                    const auto figures = Analyse(read->night, false);
                    ASSERT_TRUE(figures);
                    EXPECT_NEAR(figures->validSeconds / 3600, n.row.analysedHours, 1e-9) << "seed " << seed;
                }
            }
            for (const QString& name : QDir(d).entryList(QDir::Files))
                EXPECT_TRUE(accounted.contains(name)) << name.toStdString() << " seed " << seed;
        }
    }
}

}  // namespace
}  // namespace trelvo::report
