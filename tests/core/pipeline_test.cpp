#include "core/pipeline.h"
#include "lang/string_table.h"
#include "support/fakes.h"
#include "tools/sim/oximeter_stream.h"

#include <gtest/gtest.h>

#include <random>

namespace trelvo::core {
namespace {

// The same parts as the pipeline, wired sample by sample: what the pipeline must amount to, however
// it takes its runs of samples.
struct SampleBySample {
    explicit SampleBySample(const std::int16_t& language) : language(language) {}
    void ShowMeasurement() { core::ShowMeasurement(measurement, language, reading); }
    void SoundPulseTone() { tone.SoundPulseTone(); }
    void DrawWaveSample(std::int16_t sample) { trace.DrawWaveSample(sample); }
    void ShowPulseBar(std::int16_t sample) { core::ShowPulseBar(sample, reading); }

    const std::int16_t& language;
    MeasurementState measurement;
    Reading reading;
    test::SilentTone output;
    WaveTrace trace{measurement};
    PulseTone tone{measurement, output};
    BasicDecoder<SampleBySample> decoder{measurement, *this};
};

TEST(MeasurementPipeline, ShowsAfterEveryChunkWhatSampleBySampleDecodingShows)
{
    tools::OximeterStream normal({.seed = 9});
    tools::OximeterStream noFinger({.seed = 9, .scenario = tools::Scenario::NoFinger});
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 1500; ++i)
        (i / 300 % 2 ? noFinger : normal).NextPeriod(bytes);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int i = 0; i < 3000; ++i)
        bytes.push_back(static_cast<std::uint8_t>(anyByte(random)));

    const std::int16_t language = lang::kEnglish;
    test::SilentTone tone;
    MeasurementPipeline pipeline(language, tone);
    pipeline.Tone().SetOn(true);
    SampleBySample reference(language);
    reference.tone.SetOn(true);
    std::uniform_int_distribution<std::size_t> chunkSize(1, 300);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = std::min(chunkSize(random), bytes.size() - at);
        const std::span chunk(bytes.data() + at, n);
        pipeline.Decode(chunk, 0);
        reference.decoder.Decode(chunk);
        at += n;

        ASSERT_EQ(pipeline.CurrentReading(), reference.reading) << "after byte " << at;
        ASSERT_EQ(pipeline.Decoder().BarCounter, reference.decoder.State().BarCounter) << "after byte " << at;
        const auto steps = pipeline.Trace().PendingSteps();
        const auto expected = reference.trace.PendingSteps();
        ASSERT_TRUE(std::equal(steps.begin(), steps.end(), expected.begin(), expected.end())) << "after byte " << at;
        pipeline.Trace().ClearPendingSteps();
        reference.trace.ClearPendingSteps();
    }
    EXPECT_EQ(tone.frequencies, reference.output.frequencies);
    EXPECT_FALSE(tone.frequencies.empty());
}

}  // namespace
}  // namespace trelvo::core
