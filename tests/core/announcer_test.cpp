#include "core/announcer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace trelvo::core {
namespace {

Reading Shown(std::string spo2, std::string pulse, std::uint8_t status, bool noData = false)
{
    Reading r;
    r.SpO2Text = std::move(spo2);
    r.PulseText = std::move(pulse);
    r.NoData = noData;
    r.Unit = {0, 0, status, true};
    return r;
}

// A minute as a listener hears it: values at most every ten seconds, every change of the probe's
// state at once as an alert, values back after a blank stretch at once.
TEST(Announcer, TellsValuesEveryTenSecondsAndEveryChangeOfTheProbeAtOnce)
{
    Announcer announcer;
    using T = Announcer::Tell;
    struct Step {
        std::int64_t ms;
        Reading shown;
        std::optional<T> told;
    };
    const std::vector<Step> minute{
        {0, Reading{}, std::nullopt},                        // nothing received yet
        {500, Shown("96", "72", 0), T::Alert},               // the first status: OK, with its values
        {1'500, Shown("95", "72", 0), std::nullopt},         // changed, but heard a second ago
        {10'400, Shown("95", "72", 0), std::nullopt},        // not yet ten seconds
        {10'500, Shown("95", "73", 0), T::Values},           // ten seconds on: the latest values
        {12'000, Shown("95", "73", 0), std::nullopt},        // unchanged
        {25'000, Shown("95", "73", 0), std::nullopt},        // unchanged, however long
        {25'100, Shown("--", "---", 1), T::Alert},           // probe off: at once
        {26'000, Shown("--", "---", 1), std::nullopt},       //
        {30'000, Shown("--", "---", 2), T::Alert},           // no finger: at once
        {31'000, Shown("97", "70", 0), T::Alert},            // back to normal, with values
        {32'000, Shown("", "", 0, true), T::Alert},          // the no-data warning
        {39'000, Shown("96", "70", 0, true), std::nullopt},  // refilled by a status byte, warning still on
        {39'500, Shown("", "", 0, true), std::nullopt},      // and emptied by the next tick
        {40'000, Shown("", "", 0), T::Alert},                // data again, fields still empty
        {40'700, Shown("97", "71", 0), T::Values},           // values back after a blank stretch
        {41'000, Shown("--", "71", 0), std::nullopt},        // SpO2 of 100 shows "--": changed, too soon
        {50'700, Shown("--", "71", 0), T::Values},           // now due
    };
    for (const Step& step : minute) {
        SCOPED_TRACE(step.ms);
        EXPECT_EQ(announcer.Next(step.ms, step.shown), step.told);
    }
}

TEST(Announcer, FieldsWithoutAValue)
{
    EXPECT_FALSE(HasValue(""));
    EXPECT_FALSE(HasValue("--"));
    EXPECT_FALSE(HasValue("---"));
    EXPECT_TRUE(HasValue("0"));
    EXPECT_TRUE(HasValue("254"));
}

}  // namespace
}  // namespace trelvo::core
