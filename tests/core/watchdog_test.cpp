#include "core/decoder.h"
#include "core/watchdog.h"
#include "lang/string_table.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

namespace trelvo::core {
namespace {

using test::FakeFields;

class WatchdogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const Field f : {Field::SpO2, Field::Pulse, Field::Status})
            fields.SetCaption(f, "shown");
        fields.SetToolTip(Field::Status, "tip");
        fields.bar = 100.0;
        fields.backColorWrites.clear();
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            watchdog.Timer3_Timer();
    }
    [[nodiscard]] bool Alert(Field f) const { return fields.backColor[static_cast<std::size_t>(f)] == Colour(kAlertBackColor); }
    [[nodiscard]] bool Normal(Field f) const
    {
        return fields.backColor[static_cast<std::size_t>(f)] == Colour(SystemColour::WindowBackground);
    }

    MeasurementState measurement;
    std::int16_t languageBase = lang::kEnglish;
    FakeFields fields;
    NoDataWatchdog watchdog{measurement, languageBase, fields};
};

TEST_F(WatchdogTest, TenQuietTicksTouchNothingButTheBackgrounds)
{
    Ticks(10);
    EXPECT_EQ(measurement.NoDataTicks, 10);
    EXPECT_EQ(fields.Caption(Field::SpO2), "shown");
    EXPECT_EQ(fields.Caption(Field::Pulse), "shown");
    EXPECT_EQ(fields.Caption(Field::Status), "shown");
    EXPECT_EQ(fields.bar, 100.0);
    EXPECT_TRUE(Normal(Field::SpO2) && Normal(Field::Pulse));
    EXPECT_EQ(fields.backColorWrites.size(), 20u);
    EXPECT_EQ(fields.backColorWrites[0], Field::Pulse) << "pulse field first, then SpO2";
}

TEST_F(WatchdogTest, TheEleventhTickEmptiesTheFieldsAndWarnsInLightRed)
{
    Ticks(11);
    EXPECT_EQ(fields.Caption(Field::SpO2), "");
    EXPECT_EQ(fields.Caption(Field::Pulse), "");
    EXPECT_EQ(fields.bar, 0.0);
    EXPECT_EQ(fields.Caption(Field::Status), "No Serial Data!");
    EXPECT_EQ(fields.ToolTip(Field::Status),
              "No data transmission. Connect the unit and turn unit power on. Select correct COM port number.");
    EXPECT_TRUE(Alert(Field::SpO2) && Alert(Field::Pulse));
    EXPECT_EQ(watchdog.BlinkCounter(), 1);
}

TEST_F(WatchdogTest, TheWarningFollowsTheLanguageOfTheMoment)
{
    Ticks(11);
    languageBase = lang::kGerman;
    Ticks(1);
    EXPECT_EQ(fields.Caption(Field::Status), "Keine ser. Daten!");
    EXPECT_EQ(fields.ToolTip(Field::Status), lang::Text(29));
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
    Decoder decoder(measurement, sink);
    Ticks(11);
    ASSERT_TRUE(Alert(Field::SpO2));
    std::vector<std::uint8_t> marker{249, 97};
    decoder.DecodeSerialData(marker);
    Ticks(1);
    EXPECT_TRUE(Normal(Field::SpO2) && Normal(Field::Pulse));
    EXPECT_EQ(fields.Caption(Field::SpO2), "") << "values return with the next status byte";
    EXPECT_EQ(fields.Caption(Field::Status), "No Serial Data!");
}

TEST_F(WatchdogTest, StatusBytesWithoutSpO2MarkersDoNotEndTheWarning)
{
    test::RecordingSink sink(measurement);
    Decoder decoder(measurement, sink);
    Ticks(11);
    std::vector<std::uint8_t> noMarker{250, 72, 251, 0, 10, 20};
    decoder.DecodeSerialData(noMarker);
    Ticks(1);
    EXPECT_EQ(measurement.NoDataTicks, 12);
    EXPECT_EQ(fields.Caption(Field::Status), "No Serial Data!");
}

}  // namespace
}  // namespace trelvo::core
