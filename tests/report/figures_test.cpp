#include "lang/string_table.h"
#include "recording/per_second_file.h"
#include "report/analysis/figures.h"
#include "report/night_text.h"
#include "report/words/summary_text.h"

#include <gtest/gtest.h>

namespace trelvo::report {
namespace {

// The texts as an English reader has them.
Speech English()
{
    return Speech(lang::kEnglish);
}

Figures Of(const std::string& rows)
{
    const auto f = Analyse(ParsePerSecondFile(rows));
    EXPECT_TRUE(f);
    return f.value_or(Figures{});
}

TEST(Figures, TimeInBandsAndTheEightyEightBoundary)
{
    const Figures f = Of(RowText().Add(60, "96").Add(30, "92").Add(20, "88").Add(10, "83").Add(5, "75").Text());
    EXPECT_EQ(f.bandSeconds, (std::array<double, 5>{60, 30, 20, 10, 5}));
    EXPECT_EQ(f.below90Seconds, 35);
    EXPECT_EQ(f.atOrBelow88Seconds, 35) << "88 itself counts";
    EXPECT_EQ(f.validSeconds, 125);

    const Figures flat = Of(RowText().Add(100, "88").Text());
    EXPECT_EQ(flat.atOrBelow88Seconds, 100) << "a night at exactly 88 % is all at or below 88 %";
    EXPECT_EQ(flat.below90Seconds, 100);
    EXPECT_EQ(flat.bandSeconds[2], 100);
    EXPECT_EQ(flat.spo2Median, 88);

    const Figures ninety = Of(RowText().Add(100, "90").Text());
    EXPECT_EQ(ninety.below90Seconds, 0) << "90 is not below 90";
    EXPECT_EQ(ninety.bandSeconds[1], 100);
}

TEST(Figures, TheBaselineIsTheMeanOfTheTwoMinutesBefore)
{
    // 150 s at 96, then 12 s at 92 and 2 s at 93: one desaturation of 4 points against 96.
    const Figures f = Of(RowText().Add(150, "96").Add(12, "92").Add(2, "93").Add(30, "96").Text());
    ASSERT_EQ(f.events4.size(), 1u);
    const Event& e = f.events4[0];
    EXPECT_EQ(e.baseline, 96);
    EXPECT_EQ(e.nadir, 92);
    EXPECT_EQ(e.depth, 4);
    EXPECT_EQ(e.end - e.start, 14) << "until back within 1 point: 93 is still 3 below";
    EXPECT_EQ(f.baselineMedian, 96) << "149 readings against 96, 44 against less";
    EXPECT_EQ(f.spo2Median, 96);

    // A dip against a lower baseline: 120 s at 90 then 10 s at 87 is 3 points.
    const Figures low = Of(RowText().Add(60, "92").Add(120, "90").Add(10, "87").Add(10, "90").Text());
    ASSERT_EQ(low.events3.size(), 1u);
    EXPECT_EQ(low.events3[0].baseline, 90) << "the first minute at 92 has left the window";
    EXPECT_TRUE(low.events4.empty());
}

TEST(Figures, EventsPerClockHourAcrossMidnight)
{
    // 23:50:00 to 00:20:15, a 15-s dip at 23:55:00, 00:05:00 and 00:15:00.
    const Night night = ParsePerSecondFile(RowText("2026-12-07", 23 * 3600 + 50 * 60)
                                               .Add(300, "96")
                                               .Add(15, "91")
                                               .Add(585, "96")
                                               .Add(15, "91")
                                               .Add(585, "96")
                                               .Add(15, "91")
                                               .Add(300, "96")
                                               .Text());
    const auto f = Analyse(night);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->hours.size(), 2u);
    EXPECT_EQ(f->hours[0].start, 23 * 3600);
    EXPECT_EQ(f->hours[0].analysedSeconds, 600);
    EXPECT_EQ(f->hours[0].events3, 1);
    EXPECT_EQ(f->hours[1].start, 24 * 3600);
    EXPECT_EQ(f->hours[1].analysedSeconds, 1215);
    EXPECT_EQ(f->hours[1].events3, 2);
    EXPECT_EQ(f->hours[1].events4, 2);
    const std::string summary = SummaryText("night.csv", night, *f, English());
    EXPECT_NE(summary.find("00:00               20 min            2     5.9            2     5.9"), std::string::npos)
        << summary;
    EXPECT_EQ(EventsCsv(night, *f), "start,end,duration_s,nadir_percent,depth_points,baseline_percent,odi4\r\n"
                                    "2026-12-07T23:55:00+00:00,2026-12-07T23:55:15+00:00,15,91,5.0,96.0,yes\r\n"
                                    "2026-12-08T00:05:00+00:00,2026-12-08T00:05:15+00:00,15,91,5.0,96.0,yes\r\n"
                                    "2026-12-08T00:15:00+00:00,2026-12-08T00:15:15+00:00,15,91,5.0,96.0,yes\r\n");
}

TEST(Figures, APulseRiseOfFivePerMinuteForEightSecondsAndItsNearMisses)
{
    const Figures f = Of(RowText()
                             .Add(150, "96", 60)
                             .Add(8, "96", 66)  // +6 for 8 s: a rise
                             .Add(150, "96", 60)
                             .Add(7, "96", 66)  // +6 for 7 s: too short
                             .Add(150, "96", 60)
                             .Add(10, "96", 64)  // +4 for 10 s: too small
                             .Add(30, "96", 60)
                             .Text());
    ASSERT_EQ(f.pulseRises.size(), 1u);
    EXPECT_EQ(f.pulseRises[0].start, 23 * 3600 + 40 * 60 + 150);
    EXPECT_EQ(f.pulseRises[0].end - f.pulseRises[0].start, 8);
    EXPECT_EQ(f.pulseRises[0].peak, 66);
    EXPECT_EQ(f.pulseRises[0].baseline, 60);
    EXPECT_NEAR(f.pulseRisesPerHour, 1 / (505.0 / 3600), 1e-9);
}

// The same night read from its per-second file and from its record file alone.
TEST(Figures, TheResolutionIsStatedAndTheFiguresAgree)
{
    const Night perSecond = ParsePerSecondFile(RowText("2026-12-07", 23 * 3600).Add(600, "96").Add(300, "89").Text());
    const Night record = ParseNight(RecordText(23 * 3600).Add(120, "96").Add(60, "89").Text());
    const auto a = Analyse(perSecond), b = Analyse(record);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->validSeconds, b->validSeconds);
    EXPECT_EQ(a->below90Seconds, 300);
    EXPECT_EQ(b->below90Seconds, 300);
    const std::string one = SummaryText("night.csv", perSecond, *a, English()),
                      five = SummaryText("night.txt", record, *b, English());
    EXPECT_NE(one.find("Resolution       1 s"), std::string::npos) << one;
    EXPECT_NE(five.find("Resolution       5 s"), std::string::npos) << five;
    EXPECT_NE(one.find("Recorded         2026-12-07 23:00:00 to 2026-12-07 23:15:00"), std::string::npos) << one;
    EXPECT_NE(five.find("Recorded         23:00:00 to 23:15:00"), std::string::npos) << five;
    EXPECT_NE(one.find("Rules            baseline: the mean of the valid readings of the 120 s before; desaturation: "
                       "SpO2 3 points or more below the baseline where it begins, for 10 consecutive seconds"),
              std::string::npos)
        << one;

    // A night with its excluded time, and why.
    const Night gappy =
        ParsePerSecondFile(RowText().Add(540, "96").Add(30, "no_data").Add(20, "no_probe").Add(10, "no_signal").Text());
    const std::string text = SummaryText("night.csv", gappy, *Analyse(gappy), English());
    EXPECT_NE(text.find("Analysed         0 h 09 min of valid readings (90.0 % of the recording time)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Excluded         0 h 01 min (10.0 %): no data 0.5 min, probe off 0.3 min, no finger 0.2 min"),
              std::string::npos)
        << text;
}

TEST(Figures, ManyNightsAsATableAndCsv)
{
    const Night night = ParsePerSecondFile(RowText("2026-12-07", 23 * 3600).Add(3600, "96").Add(1800, "89").Text());
    const auto f = Analyse(night);
    ASSERT_TRUE(f);
    const NightRow row = RowOf("a \"b\", c.csv", night, *f);
    EXPECT_EQ(row.date, "2026-12-07");
    EXPECT_EQ(row.analysedHours, 1.5);
    EXPECT_EQ(row.t90Minutes, 30);
    EXPECT_EQ(NightsCsv({row}), "night,analysed_hours,spo2_mean,spo2_lowest,t90_minutes,odi3,odi4,pulse_mean,file\r\n"
                                "2026-12-07,1.50,93.7,89,30.0,0.7,0.7,70,\"a \"\"b\"\", c.csv\"\r\n");
    EXPECT_NE(NightsTable({row}, English())
                  .find("2026-12-07     1.5 h     93.7 %    89 %     30.0     0.7     0.7     70  a"),
              std::string::npos)
        << NightsTable({row}, English());
    // In German: its dates and its decimal comma; the CSV stays as it is.
    const Speech german(lang::kGerman);
    EXPECT_NE(
        NightsTable({row}, german).find("07.12.2026     1,5 h     93,7 %    89 %     30,0     0,7     0,7     70  a"),
        std::string::npos)
        << NightsTable({row}, german);
    const std::string summary = SummaryText("a.csv", night, *f, german);
    for (const char* line :
         {"Ausgewertet      1 h 30 min gültige Messwerte (100,0 % der Aufzeichnungszeit)\n",
          "T90              30,0 min (33,3 %): unter 90 %\n", "ODI3             0,7 pro Stunde (1 Ereignisse)\n",
          "Dieser Bericht ist keine medizinische Diagnose.\n"})
        EXPECT_NE(summary.find(line), std::string::npos) << line << summary;
    for (const char* english : {"Analysed", "mean", "per hour", "baseline", "This report"})
        EXPECT_EQ(summary.find(english), std::string::npos) << english;

    // A legal file name of 244 quotes stays whole, and the next night's row stays its own.
    NightRow quotes = row;
    quotes.name = std::string(244, '"');
    const std::string csv = NightsCsv({quotes, row});
    EXPECT_NE(csv.find(",\"" + std::string(488, '"') + "\"\r\n2026-12-07,"), std::string::npos) << csv;
    EXPECT_NE(NightsTable({quotes}, English()).find(std::string(244, '"') + "\n"), std::string::npos);

    // Names a spreadsheet would evaluate are text; numbers stay numbers.
    std::vector<NightRow> formulas;
    for (const char* name : {"=HYPERLINK(\"x\").txt", "@SUM(1+1).txt", "+1.txt", "-2+3.txt", "\tx.txt"}) {
        formulas.push_back(row);
        formulas.back().name = name;
    }
    formulas.back().odi3 = -1;
    EXPECT_EQ(NightsCsv(formulas).substr(NightsCsv({}).size()),
              "2026-12-07,1.50,93.7,89,30.0,0.7,0.7,70,\"'=HYPERLINK(\"\"x\"\").txt\"\r\n"
              "2026-12-07,1.50,93.7,89,30.0,0.7,0.7,70,\"'@SUM(1+1).txt\"\r\n"
              "2026-12-07,1.50,93.7,89,30.0,0.7,0.7,70,\"'+1.txt\"\r\n"
              "2026-12-07,1.50,93.7,89,30.0,0.7,0.7,70,\"'-2+3.txt\"\r\n"
              "2026-12-07,1.50,93.7,89,30.0,-1.0,0.7,70,\"'\tx.txt\"\r\n");
}

// One rule for both kinds of event, counted by hand: each night starts with 130 s at its level, so
// the baseline where the event begins is that level.
TEST(Figures, OneShapeForEveryEventAndOdi4AmongTheOdi3Events)
{
    const auto analyse = [](const RowText& rows) {
        const Night night = ParsePerSecondFile(rows.Text());
        return std::pair{night, *Analyse(night)};
    };
    // 96, then 93 for 1 s and 91 for 9 s: 10 s at 3 or more below, 5.0 deep: ODI3 and ODI4 alike.
    const auto [a, fa] = analyse(RowText().Add(130, "96").Add(1, "93").Add(9, "91").Add(30, "96"));
    ASSERT_EQ(fa.events3.size(), 1u);
    EXPECT_EQ(fa.events3[0].end - fa.events3[0].start, 10);
    EXPECT_DOUBLE_EQ(fa.events3[0].depth, 5.0);
    EXPECT_EQ(fa.events4.size(), 1u);
    EXPECT_NE(EventsCsv(a, fa).find(",10,91,5.0,96.0,yes\r\n"), std::string::npos) << EventsCsv(a, fa);

    // 97, 94 for 125 s, three times 89 (12 s) and 94 (20 s): never back within 1 point, so one event
    // 8 deep: ODI3 1 and ODI4 1 (ODI4 was 3 when it was found on its own).
    RowText b = RowText().Add(130, "97").Add(125, "94");
    for (int i = 0; i < 3; ++i)
        b.Add(12, "89").Add(20, "94");
    const auto [bn, fb] = analyse(b.Add(30, "97"));
    ASSERT_EQ(fb.events3.size(), 1u);
    EXPECT_DOUBLE_EQ(fb.events3[0].depth, 8.0);
    EXPECT_EQ(fb.events4.size(), 1u);

    // 1 s at 3 below and 9 s at 2 below: only 1 s at 3 or more below, no event (it counted when the
    // 10 s ran to the recovery).
    EXPECT_TRUE(analyse(RowText().Add(130, "97").Add(1, "94").Add(9, "95").Add(30, "97")).second.events3.empty());

    // A gap in the file (the computer slept: 600 s without rows) ends an event, for SpO2 and pulse:
    // 4 s before it and 4 after are no event; after the gap the 120 s before hold no reading, so
    // there is no baseline, and then the baseline is the 93 itself.
    const auto [c, fc] = analyse(RowText().Add(130, "97").Add(4, "93").Skip(600).Add(4, "93").Add(30, "97"));
    EXPECT_TRUE(fc.events3.empty());
    const auto [d, fd] =
        analyse(RowText().Add(130, "97", 60).Add(4, "97", 70).Skip(600).Add(4, "97", 70).Add(30, "97", 60));
    EXPECT_TRUE(fd.pulseRises.empty());
    // And so does a second without data: 6 s, no data, 6 s is no 10-s event.
    EXPECT_TRUE(analyse(RowText().Add(130, "97").Add(6, "93").Add(1, "no_data").Add(6, "93").Add(30, "97"))
                    .second.events3.empty());
}

// The same rule at 5 s from a record file alone: a line stands for 5 s, so one line at 3 below is
// 5 s and two are 10.
TEST(Figures, TheRuleAtFiveSecondsFromARecordFile)
{
    const Night one = ParseNight(RecordText(23 * 3600).Add(26, "97").Add(1, "94").Add(1, "95").Add(6, "97").Text());
    EXPECT_TRUE(Analyse(one)->events3.empty()) << "5 s at 3 below, 5 s at 2 below";
    const Night two = ParseNight(RecordText(23 * 3600).Add(26, "97").Add(2, "94").Add(6, "97").Text());
    const auto f = Analyse(two);
    ASSERT_EQ(f->events3.size(), 1u);
    EXPECT_EQ(f->events3[0].end - f->events3[0].start, 10);
    EXPECT_TRUE(f->events4.empty()) << "3.0 deep";
}

// A figure with nothing to count says so; an hour with less than 15 minutes analysed has no rate.
TEST(Figures, NothingToCountIsSaidAndShortHoursHaveNoRate)
{
    const Night probeOff = ParsePerSecondFile(RowText().Add(60, "no_probe").Text());
    const std::string none = SummaryText("night.csv", probeOff, *Analyse(probeOff), English());
    for (const char* line : {"SpO2             no valid reading\n",
                             "Baseline         none: no valid reading has another in the 120 s before it\n",
                             "ODI3             – per hour (0 events)\n", "ODI4             – per hour (0 events)\n",
                             "Pulse            no valid reading\n", "Pulse rises      – per hour (0 events)\n"})
        EXPECT_NE(none.find(line), std::string::npos) << line << none;
    EXPECT_EQ(none.find("lowest 0 %"), std::string::npos) << none;
    const NightRow row = RowOf("night.csv", probeOff, *Analyse(probeOff));
    EXPECT_NE(NightsTable({row}, English())
                  .find("2026-12-07     0.0 h        – %     – %      0.0       –       –      –  night.csv"),
              std::string::npos)
        << NightsTable({row}, English());
    EXPECT_NE(NightsCsv({row}).find("2026-12-07,0.00,,,0.0,,,,\"night.csv\""), std::string::npos) << NightsCsv({row});

    // SpO2 without any pulse; a single valid reading has no baseline.
    const Night noPulse =
        ParsePerSecondFile(std::string(recording::kPerSecondHeader) +
                           "\r\n2026-12-07T23:00:00+00:00,96,,ok,\r\n2026-12-07T23:00:01+00:00,95,,ok,\r\n");
    const auto f = Analyse(noPulse);
    EXPECT_FALSE(f->hasPulse);
    EXPECT_NE(SummaryText("n.csv", noPulse, *f, English()).find("Pulse            no valid reading\n"),
              std::string::npos);
    const Night one = ParsePerSecondFile(RowText().Add(1, "96").Text());
    EXPECT_FALSE(Analyse(one)->baselineMedian);

    // 23:46 to 00:15: 14 minutes in the first hour, no rate; 15 in the second, a rate.
    const Night hours = ParsePerSecondFile(RowText("2026-12-07", 23 * 3600 + 46 * 60).Add(29 * 60, "96").Text());
    const std::string table = SummaryText("night.csv", hours, *Analyse(hours), English());
    EXPECT_NE(table.find("23:00               14 min            0       –            0       –  "), std::string::npos)
        << table;
    EXPECT_NE(table.find("00:00               15 min            0     0.0            0     0.0  "), std::string::npos)
        << table;
}

// Per-second rows around a change of summer time, one a second: epoch seconds from `from` for
// `count` seconds, the offset switching at `change`; SpO2 88 for the seconds in [low, low + 15).
std::string RowsAcross(long from, long count, long change, int before, int after, long low)
{
    std::string rows = std::string(recording::kPerSecondHeader) + "\r\n";
    for (long t = from; t < from + count; ++t) {
        const int offset = t < change ? before : after;
        const long local = t + offset;
        const CivilDate d = CivilFromDays(local / 86400);
        char row[96];
        std::snprintf(row, sizeof row, "%04d-%02d-%02dT%02ld:%02ld:%02ld+%02d:00,%d,70,ok\r\n", d.year, d.month, d.day,
                      local % 86400 / 3600, local % 3600 / 60, local % 60, offset / 3600,
                      t >= low && t < low + 15 ? 88 : 96);
        rows += row;
    }
    return rows;
}

// Every time printed is the local time the file gives; the hour the clock shows twice is told
// apart by its offset, and the hour that never was is never printed.
TEST(Figures, TimesFollowTheClockAcrossAChangeOfSummerTime)
{
    // 2026-10-25: 01:58:00+02:00 (23:58 UTC) to 02:05:14+01:00, 88 % from 02:03:00+01:00 for 15 s.
    const long autumn = DaysFromCivil({2026, 10, 25}) * 86400;
    const Night back = ParsePerSecondFile(RowsAcross(autumn - 120, 4035, autumn + 3600, 7200, 3600, autumn + 3780));
    const auto f = Analyse(back);
    ASSERT_TRUE(f);
    EXPECT_EQ(MomentText(back, f->spo2MinAt), "2026-10-25 02:03:00");
    EXPECT_EQ(MomentText(back, f->end), "2026-10-25 02:05:15");
    const std::string summary = SummaryText("night.csv", back, *f, English());
    EXPECT_NE(summary.find("lowest 88 % at 2026-10-25 02:03:00"), std::string::npos) << summary;
    EXPECT_NE(summary.find("to 2026-10-25 02:05:15"), std::string::npos) << summary;
    for (const char* hour : {"\n01:00      ", "\n02:00 (+02:00)   ", "\n02:00 (+01:00)   "})
        EXPECT_NE(summary.find(hour), std::string::npos) << hour << summary;

    // 2026-03-29: 01:50:00+01:00 (00:50 UTC) to 03:09:59+02:00; 02:xx never was.
    const long spring = DaysFromCivil({2026, 3, 29}) * 86400;
    const Night forward = ParsePerSecondFile(RowsAcross(spring + 3000, 1200, spring + 3600, 3600, 7200, 0));
    const std::string text = SummaryText("night.csv", forward, *Analyse(forward), English());
    EXPECT_NE(text.find("Recorded         2026-03-29 01:50:00 to 2026-03-29 03:10:00"), std::string::npos) << text;
    EXPECT_NE(text.find("\n03:00      "), std::string::npos) << text;
    EXPECT_EQ(text.find("\n02:"), std::string::npos) << text;
}

}  // namespace
}  // namespace trelvo::report

namespace trelvo::report {
namespace {

// The doctor's means: a short night is left out, each counted night weighs the same, and a figure
// only some nights have is the mean of those.
TEST(NightsMeans, CountedNightsWeighTheSame)
{
    NightRow a, b, shortNight;
    a.analysedHours = 5, a.spo2Mean = 94, a.odi3 = 2, a.spo2Min = 85;
    b.analysedHours = 7, b.spo2Mean = 96, b.spo2Min = 88;
    shortNight.analysedHours = 3.9, shortNight.spo2Mean = 80, shortNight.odi3 = 40;
    const NightsMeans means = MeansOf({a, shortNight, b});
    EXPECT_EQ(means.counted, 2u);
    EXPECT_EQ(means.analysedHours, 6);
    EXPECT_EQ(means.spo2Mean, 95);
    EXPECT_EQ(means.spo2Min, 86.5);
    EXPECT_EQ(means.odi3, 2) << "the one counted night that has it";
    EXPECT_FALSE(MeansOf({shortNight}).spo2Mean);
}

}  // namespace
}  // namespace trelvo::report
