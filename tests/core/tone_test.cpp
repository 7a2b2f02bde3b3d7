#include "core/tone.h"

#include <gtest/gtest.h>

#include <vector>

namespace trelvo::core {
namespace {

class FakeToneOutput final : public ToneOutput {
public:
    void Beep(std::int32_t frequency, std::int32_t milliseconds) override
    {
        tones.push_back({frequency, milliseconds});
    }
    void Prepare() override { ++prepared; }
    std::vector<std::pair<std::int32_t, std::int32_t>> tones;
    int prepared = 0;
};

class PulseToneTest : public ::testing::Test {
protected:
    // The tone for one pulse byte with these values, or 0 for none.
    int ToneFor(std::uint8_t spo2, std::uint8_t pulse)
    {
        output.tones.clear();
        measurement.SpO2Value = spo2;
        measurement.PulseValue = pulse;
        tone.SoundPulseTone();
        if (output.tones.empty())
            return 0;
        EXPECT_EQ(output.tones.size(), 1u);
        EXPECT_EQ(output.tones[0].second, 50) << "every pulse tone lasts 50 ms";
        return output.tones[0].first;
    }

    MeasurementState measurement;
    FakeToneOutput output;
    PulseTone tone{measurement, output};
};

TEST_F(PulseToneTest, SilentWhileSwitchedOff)
{
    EXPECT_FALSE(tone.On());
    EXPECT_EQ(ToneFor(97, 72), 0);
}

TEST_F(PulseToneTest, PitchFollowsSpO2AcrossTheTable)
{
    tone.SetOn(true);
    EXPECT_EQ(ToneFor(97, 72), 1175);
    EXPECT_EQ(ToneFor(80, 72), 440);
    EXPECT_EQ(ToneFor(35, 72), 440);
    EXPECT_EQ(ToneFor(0, 72), 440);
    EXPECT_EQ(ToneFor(81, 72), 466);
    EXPECT_EQ(ToneFor(99, 72), 1328);
    EXPECT_EQ(ToneFor(100, 72), 1328) << "100 sounds the last entry";
    EXPECT_EQ(ToneFor(101, 72), 0);
    EXPECT_EQ(ToneFor(127, 72), 0);
}

TEST_F(PulseToneTest, EveryPulseButZeroSounds)
{
    tone.SetOn(true);
    EXPECT_EQ(ToneFor(97, 0), 0);
    EXPECT_EQ(ToneFor(97, 1), 1175);
    EXPECT_EQ(ToneFor(97, 255), 1175) << "255 (no pulse value) sounds all the same";
}

TEST_F(PulseToneTest, TwoClicksReturnTheSwitchToWhereItWas)
{
    tone.Toggle();
    EXPECT_TRUE(tone.On());
    EXPECT_EQ(output.prepared, 1) << "the device is made ready when the tone is switched on";
    tone.Toggle();
    EXPECT_FALSE(tone.On());
    tone.SetOn(false);
    EXPECT_EQ(output.prepared, 1) << "not when it is switched off";
}

TEST(PlayTone, ClampsToTheAudibleRangeAndRoundsHalfToEven)
{
    FakeToneOutput output;
    const std::pair<double, std::int32_t> cases[] = {
        {20.0, 37}, {36.9, 37}, {40000.0, 32767}, {440.5, 440}, {441.5, 442}, {1000.4, 1000}, {1000.6, 1001},
    };
    for (const auto& [asked, sounded] : cases) {
        output.tones.clear();
        PlayTone(output, asked, 50);
        ASSERT_EQ(output.tones.size(), 1u);
        EXPECT_EQ(output.tones[0].first, sounded) << asked << " Hz";
        EXPECT_EQ(output.tones[0].second, 50);
    }
}

}  // namespace
}  // namespace trelvo::core
