// The first listing's fast ways against the plain ones: the wave checked without being kept, line
// ends found by memchr, two days read at once, the cache. Whatever a folder holds, the figures are
// the same to the byte as those of each night read whole.

#include "recording/per_second_file.h"
#include "report/library/folder.h"
#include "report/library/summary_cache.h"
#include "report/night/night.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>

namespace trelvo::report {
namespace {

TEST(FastPath, TheWaveCheckedAloneReadsAsTheWaveKeptForAnyField)
{
    std::mt19937 random(7);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // Fields near the rule's edges: samples of 1 to 4 digits around 247, blanks single and double,
    // a stray byte; lengths across the 32-byte blocks and the padded end.
    const char* strays[] = {"x", "\t", "-", "\xc3", "  ", " "};
    for (int run = 0; run < 20000; ++run) {
        std::string field;
        const int samples = pick(40);
        for (int s = 0; s < samples; ++s) {
            if (s > 0)
                field += pick(50) == 0 ? strays[pick(6)] : " ";
            const int value = pick(4) == 0 ? 240 + pick(12) : pick(8) == 0 ? pick(10000) : pick(248);
            char digits[8];
            std::snprintf(digits, sizeof digits, pick(30) == 0 ? "%03d" : "%d", value);
            field += digits;
        }
        if (pick(4) == 0) {  // anywhere, among the last bytes often
            const auto size = static_cast<int>(field.size());
            const int at = pick(2) == 0 ? std::max(0, size - pick(4)) : pick(size + 1);
            field.insert(static_cast<std::size_t>(at), strays[pick(6)]);
        }
        const std::string row = "2026-12-07T23:40:01+01:00,97,72,ok," + field;
        std::vector<std::uint8_t> wave;
        const auto kept = recording::ReadPerSecondRow(row, wave);
        const auto checked = recording::ReadPerSecondRow(row);
        ASSERT_EQ(kept.has_value(), checked.has_value()) << '"' << field << '"';
    }
}

TEST(FastPath, LineEndsOfAnyKindReadAsLinesEndingInLineFeeds)
{
    const std::string lines[] = {"S 97 P 72 T 23:00:00  OK!", "S 96 P 70 T 23:00:05  OK!", "garbage",
                                 "S -- P --- T 23:00:10  No Probe!", ""};
    const char* ends[] = {"\r\n", "\n", "\r"};
    std::mt19937 random(3);
    for (int run = 0; run < 2000; ++run) {
        std::string plain, mixed;
        const int count = static_cast<int>(random() % 12);
        std::string_view end;
        for (int i = 0; i < count; ++i) {
            const std::string& line = lines[random() % 5];
            const bool last = i + 1 == count;
            const bool ended = !last || random() % 2 == 0;
            // (CR, then an empty line ended by LF, is one CR LF: no editor could tell them apart.)
            const bool merges = end == "\r" && line.empty();
            end = !ended ? "" : merges ? "\r" : ends[random() % 3];
            plain += line + (ended ? "\n" : "");
            mixed += line + std::string(end);
        }
        const Night a = ParseNight(plain), b = ParseNight(mixed);
        ASSERT_EQ(a.totalLines, b.totalLines) << mixed;
        ASSERT_EQ(a.brokenLines, b.brokenLines) << mixed;
        ASSERT_EQ(a.readings.size(), b.readings.size()) << mixed;
        for (std::size_t i = 0; i < a.readings.size(); ++i)
            ASSERT_EQ(a.readings[i].seconds, b.readings[i].seconds);
    }
}

// Every figure of a row, to the last bit.
std::string Exactly(const NightRow& r)
{
    const auto number = [](const std::optional<double>& v) {
        char text[32] = "-";
        if (v)
            std::snprintf(text, sizeof text, "%.17g", *v);
        return std::string(text);
    };
    return r.name + "|" + r.date + "|" + number(r.analysedHours) + "|" + number(r.spo2Mean) + "|" +
           (r.spo2Min ? std::to_string(*r.spo2Min) : "-") + "|" + number(r.t90Minutes) + "|" + number(r.odi3) + "|" +
           number(r.odi4) + "|" + number(r.pulseMean) + "|" + r.start + "|" + r.end + "|" + number(r.recordingHours) +
           "|" + number(r.t88Minutes) + "|" + number(r.step) + "|" + (r.hasWave ? "wave" : "") +
           (r.dateFromFileTime ? "filetime" : "");
}

std::vector<std::string> Rows(const FolderListing& listing)
{
    std::vector<std::string> rows;
    for (const FolderNight& n : listing.nights)
        rows.push_back(Exactly(n.row));
    return rows;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST(FastPath, AGeneratedFolderListsAsEachNightReadWhole)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    // Seven simulated nights of an hour, then what copies and editors do to such files.
    for (int n = 0; n < 7; ++n)
        ASSERT_EQ(QProcess::execute(QStringLiteral(TRELVO_MAKE_NIGHT_PATH),
                                    {QDir(d).filePath(QStringLiteral("night-%1.txt").arg(n)), QStringLiteral("1"),
                                     QStringLiteral("23"), QString::number(n)}),
                  0);
    const auto edit = [&](int n, const char* suffix, const std::function<void(QByteArray&)>& change) {
        const QString path = QDir(d).filePath(QStringLiteral("night-%1.%2").arg(n).arg(QLatin1String(suffix)));
        QByteArray bytes = ReadAll(path);
        change(bytes);
        WriteAll(path, bytes);
    };
    edit(1, "csv", [](QByteArray& b) { b.replace("\r\n", "\n"); });  // saved on another system
    edit(1, "txt", [](QByteArray& b) { b.replace("\r\n", "\r"); });
    edit(2, "csv", [](QByteArray& b) {  // a wave sample too high, a double blank, a row cut short
        const qsizetype row = b.indexOf('\n', b.size() / 3) + 1;
        const qsizetype wave = b.indexOf(",ok,", row) + 4;
        b.insert(wave, "248 ");
        b.insert(b.indexOf(' ', b.indexOf(",ok,", b.size() / 2) + 4), " ");
        b.chop(40);
    });
    edit(3, "csv", [](QByteArray& b) {  // two rows swapped, one told twice
        const qsizetype a = b.indexOf('\n', b.size() / 2) + 1, m = b.indexOf('\n', a) + 1, e = b.indexOf('\n', m) + 1;
        const QByteArray first = b.mid(a, m - a), second = b.mid(m, e - m);
        b.replace(a, e - a, second + first + first);
    });
    ASSERT_TRUE(QFile::remove(QDir(d).filePath(QStringLiteral("night-4.csv"))));  // the record file alone
    ASSERT_TRUE(QFile::remove(QDir(d).filePath(QStringLiteral("night-5.txt"))));  // the per-second file alone

    const FolderListing plain = ListFolder(d, nullptr, {});
    ASSERT_EQ(plain.nights.size(), 7u);
    std::vector<std::string> whole;
    for (const FolderNight& n : plain.nights) {
        const auto night = LoadFolderNight(n).value;  // with its wave, every sample kept
        ASSERT_TRUE(night);
        NightRow own = RowOf(n.row.name, *night, *Analyse(*night, false));
        own.dateFromFileTime = n.row.dateFromFileTime;  // of the files, not of their readings
        whole.push_back(Exactly(own));
    }
    EXPECT_EQ(Rows(plain), whole);
    SummaryCache cache(QDir(d).filePath(QStringLiteral("cache.sqlite")));
    EXPECT_EQ(Rows(ListFolder(d, &cache, {})), whole);  // read and put in the cache
    EXPECT_EQ(Rows(ListFolder(d, &cache, {})), whole);  // from the cache
}

}  // namespace
}  // namespace trelvo::report
