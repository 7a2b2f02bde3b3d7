#include "core/display.h"
#include "lang/string_table.h"

#include <gtest/gtest.h>

namespace trelvo::core {
namespace {

struct DisplayCase {
    const char* name;
    std::int16_t base;
    std::uint8_t spo2, pulse, status;
    const char* spo2Text;
    const char* pulseText;
    const char* statusText;
    int toolTipOffset;
    bool barZeroed;
};

void PrintTo(const DisplayCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShowMeasurementRules : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(ShowMeasurementRules, FieldsShowTheRuleForTheValues)
{
    const DisplayCase& c = GetParam();
    Reading shown;
    shown.Bar = 123;
    ShowMeasurement({.SpO2Value = c.spo2, .PulseValue = c.pulse, .ProbeStatus = c.status}, c.base, shown);

    EXPECT_EQ(shown.SpO2Text, c.spo2Text);
    EXPECT_EQ(shown.PulseText, c.pulseText);
    EXPECT_EQ(shown.StatusText, c.statusText);
    EXPECT_EQ(shown.StatusTip, lang::Text(c.base + c.toolTipOffset));
    EXPECT_EQ(shown.Bar, c.barZeroed ? 0 : 123) << "a good reading leaves the bar to the samples";
}

constexpr std::int16_t kDe = lang::kGerman;
constexpr std::int16_t kEn = lang::kEnglish;

INSTANTIATE_TEST_SUITE_P(
    BothLanguages, ShowMeasurementRules,
    ::testing::Values(DisplayCase{"Measuring", kEn, 97, 72, 0, "97", "72", "OK!", 28, false},
                      DisplayCase{"MeasuringGerman", kDe, 97, 72, 0, "97", "72", "OK!", 28, false},
                      DisplayCase{"SpO2Of100ReadsAsNoValue", kEn, 100, 72, 0, "--", "72", "OK!", 28, false},
                      DisplayCase{"SpO2Above100ReadsAsNoValue", kEn, 255, 72, 0, "--", "72", "OK!", 28, false},
                      DisplayCase{"SpO2Of99", kEn, 99, 72, 0, "99", "72", "OK!", 28, false},
                      DisplayCase{"SpO2OneDigit", kEn, 5, 72, 0, "5", "72", "OK!", 28, false},
                      DisplayCase{"SpO2Zero", kEn, 0, 72, 0, "0", "72", "OK!", 28, false},
                      DisplayCase{"Pulse255ReadsAsNoValue", kEn, 97, 255, 0, "97", "---", "OK!", 28, false},
                      DisplayCase{"PulseZero", kEn, 97, 0, 0, "97", "0", "OK!", 28, false},
                      DisplayCase{"Pulse254", kEn, 97, 254, 0, "97", "254", "OK!", 28, false},
                      DisplayCase{"NoProbe", kEn, 97, 72, 1, "--", "---", "No Probe!", 26, true},
                      DisplayCase{"NoProbeGerman", kDe, 97, 72, 1, "--", "---", "Kein Sensor!", 26, true},
                      DisplayCase{"NoSignal", kEn, 97, 72, 2, "--", "---", "No Signal!", 27, true},
                      DisplayCase{"NoSignalGerman", kDe, 97, 72, 2, "--", "---", "Kein Signal!", 27, true},
                      DisplayCase{"UnknownStatusBlanksButReadsOk", kEn, 97, 72, 3, "--", "---", "OK!", 28, true},
                      DisplayCase{"HighestStatusGerman", kDe, 97, 72, 255, "--", "---", "OK!", 28, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShowPulseBar, FollowsTheRawSample)
{
    Reading shown;
    ShowPulseBar(247, shown);
    EXPECT_EQ(shown.Bar, 247);
    EXPECT_LT(shown.Bar, kPulseBarMaximum) << "one step short of full";
    ShowPulseBar(0, shown);
    EXPECT_EQ(shown.Bar, 0);
}

TEST(ShowMeasurement, FetchesTheLanguageAtEachCall)
{
    Reading shown;
    const MeasurementState noProbe{.ProbeStatus = 1};
    ShowMeasurement(noProbe, lang::kEnglish, shown);
    EXPECT_EQ(shown.StatusText, "No Probe!");
    ShowMeasurement(noProbe, lang::kGerman, shown);
    EXPECT_EQ(shown.StatusText, "Kein Sensor!");
    EXPECT_EQ(shown.StatusTip, "Daten vom Gerät werden emfangen, aber kein Sensor am Gerät.");
}

TEST(ShowMeasurement, AnUnknownLanguageIsAVisibleError)
{
    Reading shown;
    EXPECT_THROW(ShowMeasurement({.ProbeStatus = 1}, 500, shown), lang::MissingText);
}

}  // namespace
}  // namespace trelvo::core
