#pragma once

#include <cstdint>

namespace trelvo::core {

// The last values the unit sent. Zero when the main window is created.
struct MeasurementState {
    std::uint8_t SpO2Value = 0;
    std::uint8_t PulseValue = 0;   // 255: the unit has no pulse value
    std::uint8_t ProbeStatus = 0;  // 0 measuring, 1 no probe, 2 no finger / no signal
    std::uint8_t NoDataTicks = 0;  // watchdog ticks since the last SpO2 marker
};

inline constexpr std::uint8_t kNoPulseValue = 255;

}  // namespace trelvo::core
