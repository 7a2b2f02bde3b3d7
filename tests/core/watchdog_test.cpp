#include "core/decoder.h"
#include "core/watchdog.h"
#include "lang/string_table.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

namespace trelvo::core {
namespace {

enum class Field { SpO2, Pulse };

class WatchdogTest : public ::testing::Test {
protected:
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            watchdog.Tick();
    }
    [[nodiscard]] const Colour& Back(Field f) const { return f == Field::SpO2 ? shown.SpO2Back : shown.PulseBack; }
    [[nodiscard]] bool Alert(Field f) const { return Back(f) == Colour(kAlertBackColor); }
    [[nodiscard]] bool Normal(Field f) const { return Back(f) == Colour(SystemColour::WindowBackground); }

    MeasurementState measurement;
    std::int16_t languageBase = lang::kEnglish;
    Reading shown{"shown", "shown", "shown", "tip", kAlertBackColor, kAlertBackColor, 100, false, {}};
    NoDataWatchdog watchdog{measurement, languageBase, shown};
};

TEST_F(WatchdogTest, TenQuietTicksTouchNothingButTheBackgrounds)
{
    Ticks(10);
    EXPECT_EQ(measurement.NoDataTicks, 10);
    EXPECT_EQ(shown.SpO2Text, "shown");
    EXPECT_EQ(shown.PulseText, "shown");
    EXPECT_EQ(shown.StatusText, "shown");
    EXPECT_EQ(shown.Bar, 100);
    EXPECT_TRUE(Normal(Field::SpO2) && Normal(Field::Pulse)) << "every quiet tick sets the normal background";
    EXPECT_FALSE(shown.NoData);
}

TEST_F(WatchdogTest, TheEleventhTickEmptiesTheFieldsAndWarnsInLightRed)
{
    Ticks(11);
    EXPECT_EQ(shown.SpO2Text, "");
    EXPECT_EQ(shown.PulseText, "");
    EXPECT_EQ(shown.Bar, 0);
    EXPECT_TRUE(shown.NoData);
    EXPECT_EQ(shown.StatusText, "No Serial Data!");
    EXPECT_EQ(shown.StatusTip,
              "No data transmission. Connect the unit and turn unit power on. Select correct COM port number.");
    EXPECT_TRUE(Alert(Field::SpO2) && Alert(Field::Pulse));
    EXPECT_EQ(watchdog.BlinkCounter(), 1);
}

TEST_F(WatchdogTest, TheWarningFollowsTheLanguageOfTheMoment)
{
    Ticks(11);
    watchdog.SetLanguage(lang::kGerman);
    Ticks(1);
    EXPECT_EQ(shown.StatusText, "Keine ser. Daten!");
    EXPECT_EQ(shown.StatusTip, lang::Text(29));
}

TEST_F(WatchdogTest, TheFieldsAlternateEveryTickAndBlinkInA151TickCycle)
{
    Ticks(11);
    std::string pattern;
    for (int i = 0; i < 160; ++i) {
        pattern += Alert(Field::SpO2) ? 'A' : 'n';
        EXPECT_EQ(Alert(Field::SpO2), Alert(Field::Pulse));
        Ticks(1);
    }
    // Counter 1..150 alternates from alert; at the wrap 150 and 0 give two normal ticks in a row.
    std::string expected;
    for (int counter = 1; counter <= 150; ++counter)
        expected += counter % 2 ? 'A' : 'n';
    for (int counter = 0; counter <= 9; ++counter)
        expected += counter % 2 ? 'A' : 'n';
    EXPECT_EQ(pattern, expected);
}

TEST_F(WatchdogTest, TheTickCountStopsAt250AndTheBlinkGoesOn)
{
    Ticks(300);
    EXPECT_EQ(measurement.NoDataTicks, 250);
    const bool before = Alert(Field::SpO2);
    Ticks(1);
    EXPECT_NE(Alert(Field::SpO2), before);
}

TEST_F(WatchdogTest, AnSpO2MarkerRestoresTheBackgroundsOnTheNextTickButNotTheValues)
{
    test::RecordingSink sink(measurement);
    test::RecordingDecoder decoder(measurement, sink);
    Ticks(11);
    ASSERT_TRUE(Alert(Field::SpO2));
    std::vector<std::uint8_t> marker{249, 97};
    decoder.Decode(marker);
    Ticks(1);
    EXPECT_TRUE(Normal(Field::SpO2) && Normal(Field::Pulse));
    EXPECT_FALSE(shown.NoData);
    EXPECT_EQ(shown.SpO2Text, "") << "values return with the next status byte";
    EXPECT_EQ(shown.StatusText, "No Serial Data!");
}

TEST_F(WatchdogTest, StatusBytesWithoutSpO2MarkersDoNotEndTheWarning)
{
    test::RecordingSink sink(measurement);
    test::RecordingDecoder decoder(measurement, sink);
    Ticks(11);
    std::vector<std::uint8_t> noMarker{250, 72, 251, 0, 10, 20};
    decoder.Decode(noMarker);
    Ticks(1);
    EXPECT_EQ(measurement.NoDataTicks, 12);
    EXPECT_EQ(shown.StatusText, "No Serial Data!");
}

}  // namespace
}  // namespace trelvo::core
