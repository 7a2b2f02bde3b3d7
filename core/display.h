#pragma once

#include "core/measurement.h"
#include "core/reading.h"

#include <cstdint>
#include <string_view>

namespace trelvo::core {

inline constexpr std::string_view kNoSpO2Text = "--";
inline constexpr std::string_view kNoPulseText = "---";
inline constexpr std::string_view kStatusOkText = "OK!";

// Refreshes the SpO2, pulse and status fields after a status byte. Texts are fetched from the
// string table at each call, so a language switch shows at the next status byte.
void ShowMeasurement(const MeasurementState& m, std::int16_t languageBase, Reading& reading);

// Moves the bar to the raw sample, whatever the probe status says.
inline void ShowPulseBar(std::int16_t sample, Reading& reading) noexcept
{
    reading.Bar = sample;
}

}  // namespace trelvo::core
