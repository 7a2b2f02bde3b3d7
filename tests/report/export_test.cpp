#include "recording/per_second_file.h"
#include "report/formats/export.h"
#include "report/night/night.h"
#include "report/night_text.h"
#include "support/time_zone.h"

#include <edflib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace trelvo::report {
namespace {

TEST(PerSecondFile, RowsAcrossMidnightAndAClockChangeLieOnOneAxis)
{
    const std::string text = std::string(recording::kPerSecondHeader) +
                             "\r\n"
                             "2026-10-24T23:59:59+02:00,97,72,ok\r\n"
                             "2026-10-25T00:00:00+02:00,96,,ok\r\n"
                             "2026-10-25T00:00:0x+02:00,96,71,ok\r\n"  // hand-edited
                             "2026-10-25T02:59:59+02:00,,,no_data\r\n"
                             "2026-10-25T02:00:00+01:00,,,no_signal\r\n"  // summer time ended
                             "\"2026-10-25T02:00:01+01:00\",,,no_probe\n"
                             "2026-10-25T02:00:03+01:00,,,other:9\r\n"
                             "2026-10-25T02:00:02+01:00,,,ok\r\n"  // the clock was set back a second
                             "2026-10-25T02:00:04+01:00,101,70,ok\r\n"
                             "2026-10-25T02:00:05+01:00,95,70,ok,12 40 200\r\n";  // a later column
    const Night night = ParsePerSecondFile(text);
    EXPECT_EQ(night.step, 1.0);
    ASSERT_TRUE(night.date);
    EXPECT_EQ(*night.date, (CivilDate{2026, 10, 24}));
    EXPECT_EQ(night.brokenLines, (std::vector<int>{4, 10}));
    ASSERT_EQ(night.readings.size(), 8u);
    using K = Entry::Kind;
    const std::vector<std::pair<double, K>> expected = {{86399, K::Valid},
                                                        {86400, K::Valid},
                                                        {86400 + 3 * 3600 - 1, K::NoData},
                                                        {86400 + 3 * 3600, K::NoSignal},
                                                        {86400 + 3 * 3600 + 1, K::ProbeOff},
                                                        {86400 + 3 * 3600 + 2, K::ProbeOff},
                                                        {86400 + 3 * 3600 + 3, K::ProbeOff},
                                                        {86400 + 3 * 3600 + 5, K::Valid}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(night.readings[i].seconds, expected[i].first) << i;
        EXPECT_EQ(night.readings[i].kind, expected[i].second) << i;
    }
    EXPECT_EQ(night.readings[1].spo2, 96);
    EXPECT_FALSE(night.readings[1].pulse);
    // One axis, no hour counted twice; told on the clock the file gives.
    EXPECT_EQ(MomentText(night, night.readings[3].seconds), "2026-10-25 02:00:00");
    EXPECT_EQ(IsoMomentText(night, night.readings[2].seconds), "2026-10-25T02:59:59+02:00");
    EXPECT_EQ(IsoMomentText(night, night.readings[3].seconds), "2026-10-25T02:00:00+01:00");
}

TEST(PerSecondFile, FiguresAreCountedInSeconds)
{
    // 150 s at 96, 12 s at 92 (4 below the baseline), 150 s at 96, 8 s without data.
    const RowText rows = RowText().Add(150, "96").Add(12, "92", 80).Add(150, "96").Add(8, "no_data");
    const Night night = ParsePerSecondFile(rows.Text());
    const auto f = Analyse(night);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->validSeconds, 312);
    EXPECT_EQ(f->noDataSeconds, 8);
    ASSERT_EQ(f->events4.size(), 1u) << "12 s: long enough, and seen to the second";
    EXPECT_EQ(f->events4[0].end - f->events4[0].start, 12);
    EXPECT_EQ(f->below90Seconds, 0);
    EXPECT_EQ(f->end - f->start, 320);
}

TEST(Exports, SecondsFillEachReadingsSpanAndLeaveHolesWithoutData)
{
    Night night = ParseNight("S 96 P 70 T 23:59:50  OK!\r\nS -- P --- T 23:59:55  Kein Signal!\r\n"
                             "S 95 P 71 T 00:00:10  OK!\r\n");
    const auto seconds = Seconds(night);
    ASSERT_EQ(seconds.size(), 25u);
    EXPECT_EQ(seconds[4].spo2, 96);
    EXPECT_EQ(seconds[5].kind, Entry::Kind::NoSignal);
    EXPECT_EQ(seconds[10].kind, Entry::Kind::NoData) << "no line for 00:00:00 and :05";
    EXPECT_EQ(seconds[24].pulse, 71);
}

TEST(Exports, CsvOfARecordFileHasARowPerLineWithTheDate)
{
    const test::TimeZone zone("UTC");
    const Night night = ParseNight("S 96 P 70 T 23:59:55  OK!\r\nS XX P XXX T 00:00:00  Keine ser. Daten!\r\n"
                                   "S -- P --- T 00:00:05  No Probe!\r\nS -- P --- T 00:00:10  No Signal!\r\n");
    const std::string csv = CsvText(night, {2026, 12, 7});
    EXPECT_EQ(csv, std::string(recording::kPerSecondHeader) + "\r\n"
                                                              "2026-12-07T23:59:55+00:00,96,70,ok,\r\n"
                                                              "2026-12-08T00:00:00+00:00,,,no_data,\r\n"
                                                              "2026-12-08T00:00:05+00:00,,,no_probe,\r\n"
                                                              "2026-12-08T00:00:10+00:00,,,no_signal,\r\n");
    const Night back = ParsePerSecondFile(csv);
    ASSERT_EQ(back.readings.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(back.readings[i].kind, night.readings[i].kind) << i;
}

std::string Trimmed(const char* text)
{
    std::string s(text);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Read back with edflib's reader, not with anything of ours.
TEST(Exports, EdfReadBackByEdflib)
{
    // 100 s at 96/70, 15 s at 91/80 (a 5-point desaturation), 15 s at 96, 5 s without data,
    // 10 s without probe, 55 s at 96.
    const RowText rows =
        RowText().Add(100, "96").Add(15, "91", 80).Add(15, "96").Add(5, "no_data").Add(10, "no_probe").Add(55, "96");
    const Night night = ParsePerSecondFile(rows.Text());
    const auto figures = Analyse(night);
    ASSERT_TRUE(figures);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("trelvo-" + std::to_string(::getpid()) + ".edf")).string();
    ASSERT_EQ(WriteEdf(path, night, *figures, *night.date), std::nullopt);

    edf_hdr_struct header{};
    ASSERT_EQ(edfopen_file_readonly(path.c_str(), &header, EDFLIB_READ_ALL_ANNOTATIONS), 0) << header.filetype;
    EXPECT_EQ(header.filetype, EDFLIB_FILETYPE_EDFPLUS);
    EXPECT_EQ(header.edfsignals, 2);
    EXPECT_EQ(header.file_duration, 200 * EDFLIB_TIME_DIMENSION);
    EXPECT_EQ((std::vector<int>{header.startdate_year, header.startdate_month, header.startdate_day,
                                header.starttime_hour, header.starttime_minute, header.starttime_second}),
              (std::vector<int>{2026, 12, 7, 23, 40, 0}));
    EXPECT_EQ(Trimmed(header.signalparam[0].label), "SpO2");
    EXPECT_EQ(Trimmed(header.signalparam[1].label), "Pulse");
    EXPECT_EQ(Trimmed(header.signalparam[0].physdimension), "%");
    EXPECT_EQ(Trimmed(header.signalparam[1].physdimension), "bpm");
    EXPECT_EQ(header.signalparam[0].phys_min, 0);
    EXPECT_EQ(header.signalparam[0].phys_max, 100);
    EXPECT_EQ(header.signalparam[1].phys_max, 255);

    std::vector<double> spo2(200), pulse(200);
    for (int s = 0; s < 2; ++s)
        ASSERT_EQ(header.signalparam[s].smp_in_file, 200);
    ASSERT_EQ(edfread_physical_samples(header.handle, 0, 200, spo2.data()), 200);
    ASSERT_EQ(edfread_physical_samples(header.handle, 1, 200, pulse.data()), 200);
    for (int s = 0; s < 200; ++s) {
        const bool desaturated = s >= 100 && s < 115, gap = s >= 130 && s < 145;
        EXPECT_EQ(spo2[static_cast<std::size_t>(s)], gap ? 0 : desaturated ? 91 : 96) << s;
        EXPECT_EQ(pulse[static_cast<std::size_t>(s)], gap ? 0 : desaturated ? 80 : 70) << s;
    }

    std::vector<std::tuple<long long, long long, std::string>> annotations;
    for (long long i = 0; i < header.annotations_in_file; ++i) {
        edf_annotation_struct a{};
        ASSERT_EQ(edf_get_annotation(header.handle, static_cast<int>(i), &a), 0);
        annotations.emplace_back(a.onset / EDFLIB_TIME_DIMENSION, a.duration_l / EDFLIB_TIME_DIMENSION, a.annotation);
    }
    std::sort(annotations.begin(), annotations.end());
    EXPECT_EQ(annotations, (std::vector<std::tuple<long long, long long, std::string>>{
                               {100, 15, "Desaturation, 5.0 points"}, {130, 5, "No data"}, {135, 10, "Probe off"}}));
    edfclose_file(header.handle);
    std::filesystem::remove(path);
}

// The oximetry file as OSCAR's loader reads it: name, 40-byte header, 5-byte records.
struct OscarRead {
    int year, month, day, hour, minute, second;
    std::size_t size;
    int duration;
    std::vector<std::array<std::uint8_t, 5>> records;
};

OscarRead ReadOscar(const OscarFile& file)
{
    const auto& b = file.bytes;
    const auto u16 = [&b](std::size_t at) { return b[at] | b[at + 1] << 8; };
    EXPECT_EQ(file.name.size(), 14u);
    EXPECT_EQ(file.name.find_first_not_of("0123456789"), std::string::npos) << file.name;
    EXPECT_EQ(u16(0), 5) << "signature";
    EXPECT_EQ(u16(11), 0);
    for (std::size_t i = 15; i < 40; ++i)
        EXPECT_EQ(b[i], 0) << i;
    OscarRead r{u16(2), b[4], b[5], b[6], b[7], b[8], static_cast<std::size_t>(u16(9)), u16(13), {}};
    for (std::size_t at = 40; at + 5 <= b.size(); at += 5)
        r.records.push_back({b[at], b[at + 1], b[at + 2], b[at + 3], b[at + 4]});
    EXPECT_EQ(r.size, b.size()) << "the size field is the file's size";
    EXPECT_EQ((b.size() - 40) % 5, 0u);
    EXPECT_EQ(r.duration, 4 * static_cast<int>(r.records.size())) << "4 s a record: the step OSCAR expects";
    char name[32];
    std::snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d", r.year, r.month, r.day, r.hour, r.minute, r.second);
    EXPECT_EQ(file.name, name) << "named after its start";
    return r;
}

TEST(Exports, OscarRecordsAreFourSecondMeansAndGaps)
{
    // 4 s at 96/70; 4 s of 95,96,97,no_data (mean of three); 8 s without probe; 2 s at 90/61,63.
    const RowText rows = RowText("2026-12-07", 23 * 3600 + 59 * 60 + 58)
                             .Add(4, "96")
                             .Add(1, "95", 71)
                             .Add(1, "96", 72)
                             .Add(1, "97", 72)
                             .Add(1, "no_data")
                             .Add(8, "no_probe")
                             .Add(1, "90", 61)
                             .Add(1, "90", 63);
    const Night night = ParsePerSecondFile(rows.Text());
    const auto files = OscarFiles(night, *night.date);
    ASSERT_EQ(files.size(), 1u);
    const OscarRead r = ReadOscar(files[0]);
    EXPECT_EQ(files[0].name, "20261207235958");
    using Record = std::array<std::uint8_t, 5>;
    EXPECT_EQ(r.records, (std::vector<Record>{{96, 70, 0, 0, 0},
                                              {96, 72, 0, 0, 0},
                                              {0xFF, 0xFF, 0xFF, 0, 0},
                                              {0xFF, 0xFF, 0xFF, 0, 0},
                                              {90, 62, 0, 0, 0}}));
}

TEST(Exports, ANightLongerThanAnOscarFileHoldsIsSplit)
{
    const RowText rows = RowText("2026-12-07", 21 * 3600).Add(15 * 3600, "96");
    const Night night = ParsePerSecondFile(rows.Text());
    const auto files = OscarFiles(night, *night.date);
    ASSERT_EQ(files.size(), 2u);
    const OscarRead first = ReadOscar(files[0]);
    const OscarRead second = ReadOscar(files[1]);
    EXPECT_EQ(first.size, 65535u);
    EXPECT_EQ(first.records.size() + second.records.size(), 15u * 3600 / 4);
    const long secondStart = 21 * 3600 + 4 * static_cast<long>(first.records.size());  // 11:33:16 next day
    EXPECT_EQ(second.day, 8);
    EXPECT_EQ(second.hour * 3600 + second.minute * 60 + second.second, secondStart - 86400);
}

}  // namespace
}  // namespace trelvo::report
