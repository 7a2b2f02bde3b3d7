#include "lang/string_table.h"
#include "recording/per_second_file.h"
#include "report/analysis/figures.h"
#include "report/night_text.h"
#include "report/words/summary_text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace trelvo::report {
namespace {

constexpr int kEleven = 23 * 3600;

TEST(NightReport, TwoDesaturationsOfFourAndThreePointsCountedByHand)
{
    // 150 s at 96, 20 s at 92 (4 below the 120 s baseline of 96), 150 s at 96, 15 s at 93 (3
    // below), 150 s at 96: 97 lines, 485 s of valid readings.
    RecordText night(kEleven);
    night.Add(30, "96").Add(4, "92", 80).Add(30, "96").Add(3, "93").Add(30, "96");
    const Night parsed = ParseNight(night.Text());
    ASSERT_EQ(parsed.readings.size(), 97u);
    const auto f = Analyse(parsed);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->events4.size(), 1u);
    EXPECT_EQ(f->events4[0].start, kEleven + 150);
    EXPECT_EQ(f->events4[0].end, kEleven + 170) << "20 s long";
    EXPECT_EQ(f->events4[0].depth, 4);
    ASSERT_EQ(f->events3.size(), 2u);
    EXPECT_EQ(f->events3[1].start, kEleven + 320);
    EXPECT_EQ(f->events3[1].depth, 3);
    EXPECT_DOUBLE_EQ(f->validSeconds, 485.0);
    EXPECT_NEAR(f->odi3, 2 / (485.0 / 3600), 1e-9);
    EXPECT_NEAR(f->odi4, 1 / (485.0 / 3600), 1e-9);
    EXPECT_EQ(f->spo2Min, 92);
    EXPECT_EQ(f->spo2MinAt, kEleven + 150);
    EXPECT_NEAR(f->spo2Mean, (90 * 96 + 4 * 92 + 3 * 93) / 97.0, 1e-9);
    EXPECT_EQ(f->below90Seconds, 0);
    EXPECT_EQ(f->pulseMax, 80);
    EXPECT_EQ(f->validShare, 1.0);
    EXPECT_EQ(ClockText(f->start), "23:00:00");
    EXPECT_EQ(DurationText(f->end - f->start), "0 h 08 min");
}

TEST(NightReport, ShortDipsAndDipsThatDoNotReachTheDepthAreNoEvents)
{
    RecordText night(kEleven);
    night.Add(30, "96").Add(1, "90").Add(30, "96").Add(6, "94").Add(30, "96");  // 5 s deep, then only 2 points
    const auto f = Analyse(ParseNight(night.Text()));
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->events3.empty());
    EXPECT_EQ(f->below90Seconds, 0) << "90 is not below 90";
}

TEST(NightReport, GapsNoDataAndProbeOffAreTimeWithoutReadings)
{
    RecordText night(kEleven);
    night.Add(12, "89").Add(6, "XX").Add(4, "--").Skip(60).Add(12, "87");
    const Night parsed = ParseNight(night.Text());
    const auto f = Analyse(parsed);
    ASSERT_TRUE(f);
    EXPECT_DOUBLE_EQ(f->noDataSeconds, 30 + 60) << "XX lines and the minute nothing was recorded";
    EXPECT_DOUBLE_EQ(f->probeOffSeconds, 20);
    EXPECT_DOUBLE_EQ(f->validShare, 24.0 / 34.0);
    EXPECT_DOUBLE_EQ(f->below90Seconds, 120);
    EXPECT_DOUBLE_EQ(f->atOrBelow88Seconds, 60);
    EXPECT_EQ(f->spo2Min, 87);
}

TEST(NightReport, MidnightStartsTheNextDayIn24And12HourFiles)
{
    RecordText night(86400 - 10);
    night.Add(5, "95");  // 23:59:50 .. 00:00:10
    auto f = Analyse(ParseNight(night.Text()));
    ASSERT_TRUE(f);
    EXPECT_DOUBLE_EQ(f->end - f->start, 25);
    EXPECT_EQ(ClockText(f->end), "00:00:15");

    const std::string twelve = "S 95 P 70 T 11:59:55 PM  OK!\r\nS 95 P 70 T 12:00:00 AM  OK!\r\n"
                               "S 95 P 70 T 12:00:05 a.m.  OK!\r\nS 96 P 70 T 12:00:10 PM  OK!\r\n";
    const Night parsed = ParseNight(twelve);
    ASSERT_EQ(parsed.readings.size(), 4u);
    EXPECT_DOUBLE_EQ(parsed.readings[1].seconds, 86400);
    EXPECT_DOUBLE_EQ(parsed.readings[3].seconds, 86400 + 12 * 3600 + 10) << "noon of the next day";
}

TEST(NightReport, BrokenLinesAreCountedAndListedNeverFatal)
{
    RecordText night(kEleven);
    night.Add(2, "95").Raw("S 95 P 70 T 25:00:00  OK!").Raw("garbage").Raw("S 95 P 70 T 23:00:20").Add(1, "95");
    for (int i = 0; i < 12; ++i)
        night.Raw("S 1000 P 70 T 23:01:00  OK!");
    const Night parsed = ParseNight(night.Text());
    EXPECT_EQ(parsed.readings.size(), 4u) << "a line without a status field still counts";
    EXPECT_EQ(parsed.brokenLines.size(), 14u);
    EXPECT_EQ(parsed.brokenLines[0], 3);
    EXPECT_EQ(parsed.brokenLines[1], 4);
    const std::string summary = SummaryText("night.txt", parsed, *Analyse(parsed), Speech(lang::kEnglish));
    EXPECT_NE(summary.find("Unreadable lines 14: 3 4 7 8 9 10 11 12 13 14 ..."), std::string::npos) << summary;
    EXPECT_NE(summary.find("not a medical diagnosis"), std::string::npos);
}

// An old editor saves lines with CR alone; a span no night has is named.
TEST(NightReport, LinesEndingInCrAloneAndSpansNoNightHas)
{
    const Night cr =
        ParseNight("S 96 P 70 T 23:00:00  OK!\rS 95 P 71 T 23:00:05  OK!\rS -- P --- T 23:00:10  No Probe!\r");
    EXPECT_EQ(cr.readings.size(), 3u);
    EXPECT_TRUE(cr.brokenLines.empty());
    EXPECT_EQ(cr.totalLines, 3);
    EXPECT_TRUE(SpanProblem(cr).empty());

    const Night years =
        ParsePerSecondFile(std::string(recording::kPerSecondHeader) +
                           "\r\n2026-12-07T23:00:00+01:00,96,70,ok,\r\n2126-12-07T23:00:00+01:00,96,70,ok,\r\n");
    EXPECT_EQ(SpanProblem(years), "its times span 36524 days, and no night is longer than 7: a time in it is wrong");
}

TEST(NightReport, AFileThatIsNoRecordFileHasNoReport)
{
    EXPECT_FALSE(Analyse(ParseNight("Dear diary,\ntoday I slept well.\n")));
    EXPECT_FALSE(Analyse(ParseNight("")));
    EXPECT_FALSE(Analyse(ParseNight(std::string("\x89PNG\r\n\x1a\n\0\0", 10))));
}

}  // namespace
}  // namespace trelvo::report
