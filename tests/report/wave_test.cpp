#include "core/pipeline.h"
#include "lang/string_table.h"
#include "recording/per_second_file.h"
#include "recording/recorder.h"
#include "report/analysis/beats.h"
#include "report/analysis/figures.h"
#include "report/formats/export.h"
#include "report/words/summary_text.h"
#include "support/fakes.h"
#include "support/time_zone.h"
#include "tools/sim/oximeter_stream.h"

#include <edflib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace trelvo::report {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A simulated unit with a fixed seed, decoded by the real pipeline and recorded by the real
// recorder into the per-second file, in batches as the serial line hands them on; then out of
// the EDF file through edflib's reader: every second's Pleth samples are the samples the unit
// sent in that second (at 100 a second the resampling changes nothing; the 16-bit scale keeps
// them to 0.004).
TEST(Wave, TheSentSamplesComeBackOutOfTheEdfSecondBySecond)
{
    const fs::path dir = fs::temp_directory_path() / ("trelvo-wave-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const test::TimeZone zone("UTC");

    const std::int16_t language = 1000;
    test::SilentTone tone;
    core::MeasurementPipeline pipeline(language, tone);
    core::ProgramState program;
    test::SetClock clock;
    clock.seconds = 23 * 3600 + 50 * 60;
    test::ChosenFile dialog((dir / "night.txt").string());
    recording::DiskRecordStore store;
    test::RecordingWindow view;
    recording::Recorder recorder(program, clock, dialog, store, view);
    pipeline.SetTap(&recorder);
    tools::OximeterStream unit({.seed = 29, .scenario = tools::Scenario::Desaturation});

    constexpr int kSeconds = 240, kPeriodsPerBatch = 4;  // a batch every 40 ms
    recorder.Toggle();
    std::vector<std::vector<std::uint8_t>> sent(kSeconds);
    std::vector<std::uint8_t> batch, period;
    for (int second = 0; second < kSeconds; ++second) {
        for (int p = 0; p < 100; p += kPeriodsPerBatch) {
            batch.clear();
            for (int q = 0; q < kPeriodsPerBatch; ++q) {
                period.clear();
                unit.NextPeriod(period);
                // The period's last byte is its wave sample; a value byte of 248 or more before it
                // would make the decoder read the sample as a value: not in this stream.
                for (std::size_t i = 0; i + 1 < period.size(); ++i)
                    ASSERT_FALSE(period[i] == 252 && period[i + 1] >= 248) << "pick another seed";
                sent[static_cast<std::size_t>(second)].push_back(period.back());
                batch.insert(batch.end(), period.begin(), period.end());
            }
            pipeline.Decode(batch, clock.EpochSeconds());
            if (p % 50 == 0)
                recorder.Tick(pipeline.CurrentReading());
        }
        ++clock.seconds;
    }
    recorder.Toggle();
    ASSERT_TRUE(view.messages.empty());

    const Night night = ParsePerSecondFile(ReadFile(dir / "night.csv"));
    ASSERT_TRUE(night.brokenLines.empty());
    ASSERT_EQ(night.readings.size(), static_cast<std::size_t>(kSeconds));
    EXPECT_EQ(PlethRate(night), 100);
    const auto figures = Analyse(night);
    ASSERT_TRUE(figures);
    const std::string edf = (dir / "night.edf").string();
    ASSERT_EQ(WriteEdf(edf, night, *figures, *night.date), std::nullopt);

    edf_hdr_struct header{};
    ASSERT_EQ(edfopen_file_readonly(edf.c_str(), &header, EDFLIB_READ_ALL_ANNOTATIONS), 0);
    ASSERT_EQ(header.edfsignals, 3);
    EXPECT_STREQ(std::string(header.signalparam[2].label).substr(0, 5).c_str(), "Pleth");
    EXPECT_EQ(header.signalparam[2].smp_in_datarecord, 100);
    EXPECT_EQ(header.signalparam[2].phys_min, 0);
    EXPECT_EQ(header.signalparam[2].phys_max, 247);
    std::vector<double> pleth(100);
    for (int second = 0; second < kSeconds; ++second) {
        ASSERT_EQ(edfread_physical_samples(header.handle, 2, 100, pleth.data()), 100);
        const auto& expected = sent[static_cast<std::size_t>(second)];
        ASSERT_EQ(expected.size(), 100u);
        for (std::size_t i = 0; i < 100; ++i)
            ASSERT_NEAR(pleth[i], expected[i], 0.004) << "second " << second << ", sample " << i;
    }
    edfclose_file(header.handle);
    fs::remove_all(dir);
}

class WaveOfSecond final : public core::MeasurementTap {
public:
    void BeginBatch(std::int64_t) override {}
    void TakeWaveSamples(std::span<const std::uint8_t> samples) override
    {
        wave.insert(wave.end(), samples.begin(), samples.end());
    }
    void TakeUnitValues(const core::UnitValues&, bool) override {}
    std::vector<std::uint8_t> wave;
};

// The simulator knows when each heartbeat starts; the detector, reading only the recorded wave,
// should find each of them once, a little after its start (the rise of the pulse).
TEST(Wave, TheBeatDetectorFindsTheBeatsTheUnitSent)
{
    const test::TimeZone zone("UTC");
    const std::int16_t language = 1000;
    test::SilentTone tone;
    core::MeasurementPipeline pipeline(language, tone);
    WaveOfSecond tap;
    pipeline.SetTap(&tap);
    std::vector<double> sent;
    tools::OximeterStream unit({.seed = 5, .scenario = tools::Scenario::Desaturation, .beats = &sent});

    constexpr int kSeconds = 20 * 60;
    const std::int64_t start = 1'796'083'200 + 23 * 3600 + 50 * 60;
    std::string rows = std::string(recording::kPerSecondHeader) + "\r\n";
    std::vector<std::uint8_t> bytes;
    for (int second = 0; second < kSeconds; ++second) {
        for (int p = 0; p < 100; ++p) {
            bytes.clear();
            unit.NextPeriod(bytes);
            pipeline.Decode(bytes, 0);
        }
        pipeline.Trace().ClearPendingSteps();
        rows += recording::PerSecondRow(start + second, {pipeline.CurrentReading().Unit, false}, tap.wave);
        tap.wave.clear();
    }
    const Night night = ParsePerSecondFile(rows);
    const std::vector<Beat> found = DetectBeats(night);
    const double origin = night.readings.front().seconds;

    std::size_t matched = 0, f = 0;
    for (const double beat : sent) {
        const double at = origin + beat;
        while (f < found.size() && found[f].time < at)
            ++f;
        if (f < found.size() && found[f].time < at + 0.35)
            ++matched;
    }
    const BeatAgreement agreement = Agreement(night, found);
    std::printf(
        "beats sent %zu, found %zu, matched %zu; rate vs the unit's pulse: median difference %.2f/min over %zu\n",
        sent.size(), found.size(), matched, agreement.medianDifference, agreement.compared);
    EXPECT_GE(static_cast<double>(matched), 0.99 * static_cast<double>(sent.size()));
    EXPECT_LE(static_cast<double>(found.size() - matched), 0.01 * static_cast<double>(sent.size()));
    EXPECT_LT(agreement.medianDifference, 2.0);
    const auto figures = Analyse(night);
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->beats, found.size());
}

// Two rows a week apart, one with a thousand samples: the grid exports would hold every second of
// the week (and a Pleth at 1000 a second), so they are refused; a night of rows is not.
TEST(Wave, ExportsStayInProportionToTheNight)
{
    std::string wave;
    for (int i = 0; i < 1000; ++i) {
        if (i > 0)
            wave += ' ';
        wave += std::to_string(i % 200);
    }
    const std::string header = std::string(recording::kPerSecondHeader) + "\r\n";
    const Night week = ParsePerSecondFile(header + "2026-12-01T23:00:00+00:00,96,70,ok," + wave +
                                          "\r\n2026-12-08T23:00:00+00:00,96,70,ok,\r\n");
    EXPECT_TRUE(SpanProblem(week).empty()) << "exactly seven days is still a night";
    EXPECT_EQ(PlethRate(week), 1000);
    EXPECT_FALSE(EdfPlethRate(week));
    ASSERT_TRUE(GridProblem(week));
    EXPECT_EQ(Words(*GridProblem(week), Speech(lang::kEnglish)),
              "its readings cover 0 h 00 min of the 168 h 00 min it spans, and EDF and OSCAR files "
              "hold every second of that span: give each night in a file of its own");

    // Ten rows, the wave in one of them: Pleth kept; in one of eleven: not.
    std::string rows = header;
    for (int s = 0; s < 11; ++s)
        rows += "2026-12-01T23:00:" + std::string(s < 10 ? "0" : "") + std::to_string(s) + "+00:00,96,70,ok," +
                (s == 0 ? wave : "") + "\r\n";
    const Night eleven = ParsePerSecondFile(rows);
    EXPECT_FALSE(GridProblem(eleven));
    EXPECT_FALSE(EdfPlethRate(eleven));
    const Night ten = ParsePerSecondFile(rows.substr(0, rows.rfind("2026")));
    EXPECT_EQ(EdfPlethRate(ten), 1000);
}

TEST(Wave, ResamplingKeepsTheSamplesAtTheirTimes)
{
    const std::uint8_t three[] = {0, 30, 60};
    EXPECT_EQ(Resampled(three, 3), (std::vector<double>{0, 30, 60}));
    EXPECT_EQ(Resampled(three, 6), (std::vector<double>{0, 15, 30, 45, 60, 60}));
    EXPECT_EQ(Resampled(three, 1), (std::vector<double>{0}));
    EXPECT_EQ(Resampled({}, 2), (std::vector<double>{0, 0}));
}

}  // namespace
}  // namespace trelvo::report
