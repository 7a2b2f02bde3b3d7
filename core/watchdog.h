#pragma once

#include "core/measurement.h"
#include "core/reading.h"

#include <cstdint>

namespace trelvo::core {

// Notices when the unit stops sending: counts ticks since the last SpO2 marker and, after ten,
// empties the value fields, blinks them light red and says in the status field that no data
// arrive. Only a byte 249 ends it (the decoder resets the count).
class NoDataWatchdog final {
public:
    static constexpr std::uint8_t kQuietTicksAllowed = 10;
    static constexpr std::uint8_t kTickLimit = 250;
    static constexpr int kBlinkCycle = 150;

    NoDataWatchdog(MeasurementState& measurement, std::int16_t languageBase, Reading& reading) noexcept
        : m_measurement(measurement),
          m_languageBase(languageBase),
          m_reading(reading)
    {
    }

    // One tick of the 700 ms watchdog timer.
    void Tick();
    // The language of the warning from the next tick on.
    void SetLanguage(std::int16_t languageBase) noexcept { m_languageBase = languageBase; }

    [[nodiscard]] int BlinkCounter() const noexcept { return m_blinkCounter; }

private:
    int m_blinkCounter = 0;  // 1..150 then 0: odd shows the alert colour
    MeasurementState& m_measurement;
    std::int16_t m_languageBase;
    Reading& m_reading;
};

}  // namespace trelvo::core
