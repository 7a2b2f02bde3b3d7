#include "core/decoder.h"
#include "support/recording_sink.h"
#include "tools/sim/oximeter_stream.h"

#include <gtest/gtest.h>

#include <random>

namespace trelvo::core {
namespace {

using test::Effect;
using Bytes = std::vector<std::uint8_t>;

class DecoderTest : public ::testing::Test {
protected:
    void Feed(Bytes bytes) { decoder.Decode(bytes); }

    MeasurementState state;
    test::RecordingSink sink{state};
    test::RecordingDecoder decoder{state, sink};
};

TEST_F(DecoderTest, EmptyBufferHasNoEffect)
{
    Feed({});
    EXPECT_TRUE(sink.effects.empty());
    EXPECT_EQ(decoder.State().BarCounter, 0);
}

TEST_F(DecoderTest, PendingMarkerCarriesAcrossChunks)
{
    Feed({249});
    Feed({97});
    EXPECT_EQ(state.SpO2Value, 97);
    EXPECT_TRUE(sink.effects.empty()) << "97 is a value, not a wave sample, and SpO2 alone shows nothing";

    Feed({251});
    Feed({0});
    ASSERT_EQ(sink.Count(Effect::ShowMeasurement), 1u);
    EXPECT_EQ(sink.effects.back().seen.ProbeStatus, 0);
    EXPECT_EQ(sink.effects.back().seen.SpO2Value, 97);
}

TEST_F(DecoderTest, ValueThatEqualsAMarkerAlsoArmsThatMarker)
{
    // An SpO2 of 250 is stored and then announces a pulse value.
    Feed({249, 250, 80});
    EXPECT_EQ(state.SpO2Value, 250);
    EXPECT_EQ(state.PulseValue, 80);
    ASSERT_EQ(sink.effects.size(), 1u);
    EXPECT_EQ(sink.effects[0].kind, Effect::SoundPulseTone);
    EXPECT_EQ(sink.effects[0].seen.PulseValue, 80) << "the tone sees the new pulse value";
}

TEST_F(DecoderTest, PulseValueOf249ResetsWatchdogAndTakesNextByteAsSpO2)
{
    state.NoDataTicks = 42;
    Feed({250, 249, 20});
    EXPECT_EQ(state.PulseValue, 249);
    EXPECT_EQ(state.NoDataTicks, 0);
    EXPECT_EQ(state.SpO2Value, 20);
    EXPECT_EQ(sink.Count(Effect::DrawWaveSample), 0u) << "20 was a value, not a sample";
    EXPECT_EQ(sink.Count(Effect::SoundPulseTone), 1u);
}

TEST_F(DecoderTest, StatusByteShowsTheMeasurementOnceAndDrawsNothing)
{
    Feed({251, 0});
    ASSERT_EQ(sink.effects.size(), 1u);
    EXPECT_EQ(sink.effects[0].kind, Effect::ShowMeasurement);
    EXPECT_EQ(state.ProbeStatus, 0);
}

TEST_F(DecoderTest, NonSampleBytesOutsideAValueOnlyCount)
{
    Feed({248, 253, 254, 255});
    EXPECT_TRUE(sink.effects.empty());
    EXPECT_EQ(decoder.State().BarCounter, 4);
}

TEST_F(DecoderTest, BarGetsTheFifthSampleThenEveryFourth)
{
    Feed({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    EXPECT_EQ(sink.Samples(Effect::DrawWaveSample),
              (std::vector<std::int16_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(sink.Samples(Effect::ShowPulseBar), (std::vector<std::int16_t>{5, 9, 13}));
    // Drawn first, then shown on the bar.
    EXPECT_EQ(sink.effects[4].kind, Effect::DrawWaveSample);
    EXPECT_EQ(sink.effects[5].kind, Effect::ShowPulseBar);
}

TEST_F(DecoderTest, MarkersAndValuesCountTowardsTheBar)
{
    // Four samples, then an SpO2 marker and its value: the next sample is the sixth byte since
    // the start and reaches the bar at once.
    Feed({10, 11, 12, 13, 249, 97, 14, 15});
    EXPECT_EQ(sink.Samples(Effect::ShowPulseBar), (std::vector<std::int16_t>{14}));
}

TEST_F(DecoderTest, BarCounterStopsAt250AndTheNextSampleReachesTheBar)
{
    Feed(Bytes(300, 248));
    EXPECT_EQ(decoder.State().BarCounter, kBarCounterLimit);
    Feed({77});
    EXPECT_EQ(sink.Samples(Effect::ShowPulseBar), (std::vector<std::int16_t>{77}));
    EXPECT_EQ(decoder.State().BarCounter, 1);
}

TEST_F(DecoderTest, ExtraValueSwallowsTheNextByte)
{
    Feed({252, 10});
    EXPECT_TRUE(sink.effects.empty()) << "a byte below 248 after 252 is not drawn";
    Feed({252, 251, 2});
    ASSERT_EQ(sink.Count(Effect::ShowMeasurement), 1u) << "a marker as the extra value still arms itself";
    EXPECT_EQ(state.ProbeStatus, 2);
}

TEST_F(DecoderTest, OnlyByte249ResetsTheWatchdog)
{
    state.NoDataTicks = 9;
    Feed({0, 100, 247, 248, 250, 72, 251, 0, 252, 1, 253});
    EXPECT_EQ(state.NoDataTicks, 9);
    Feed({251, 249});
    EXPECT_EQ(state.NoDataTicks, 0) << "a status value of 249 counts too";
}

// The same stream must give the same effects however the serial line cuts it into chunks.
TEST(DecoderChunking, AnySplitOfAStreamGivesTheSameEffects)
{
    tools::OximeterStream stream({.seed = 7});
    Bytes bytes;
    for (int i = 0; i < 2000; ++i)
        stream.NextPeriod(bytes);
    // Random bytes as well: every value must decode the same way split or whole.
    std::mt19937 random(3);
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int i = 0; i < 4000; ++i)
        bytes.push_back(static_cast<std::uint8_t>(anyByte(random)));

    MeasurementState wholeState;
    test::RecordingSink whole(wholeState);
    test::RecordingDecoder(wholeState, whole).Decode(bytes);

    for (const int maxChunk : {1, 2, 3, 17, 256}) {
        MeasurementState splitState;
        test::RecordingSink split(splitState);
        test::RecordingDecoder decoder(splitState, split);
        std::uniform_int_distribution<int> chunkSize(1, maxChunk);
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(chunkSize(random)), bytes.size() - at);
            Bytes chunk(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
            decoder.Decode(chunk);
            const DecoderState& s = decoder.State();
            ASSERT_LE(s.SpO2Pending + s.PulsePending + s.StatusPending + s.ExtraPending, 1)
                << "at most one value pending";
            ASSERT_LE(s.BarCounter, kBarCounterLimit);
            at += n;
        }
        EXPECT_EQ(split.effects, whole.effects) << "chunks of up to " << maxChunk << " bytes";
    }
    EXPECT_GT(whole.Count(Effect::ShowMeasurement), 0u);
    EXPECT_GT(whole.Count(Effect::SoundPulseTone), 0u);
}

}  // namespace
}  // namespace trelvo::core
