#pragma once

#include "core/colour.h"

#include <cstdint>
#include <string>

namespace trelvo::core {

// The unit's values the fields were last refreshed from: the unit sends SpO2 and pulse first and
// the fields take them when its probe status follows.
struct UnitValues {
    std::uint8_t SpO2 = 0;
    std::uint8_t Pulse = 0;   // 255: no value
    std::uint8_t Status = 0;  // the probe status byte
    bool Received = false;    // a probe status has come since start

    friend bool operator==(const UnitValues&, const UnitValues&) = default;
};

// What the value fields show at this moment: written by the display rules and the watchdog, drawn
// by the window, read by the recorder. Texts are UTF-8.
struct Reading {
    std::string SpO2Text;    // Label2; empty while the no-data warning is on
    std::string PulseText;   // Label1
    std::string StatusText;  // Label4
    std::string StatusTip;   // Label4's tooltip
    Colour SpO2Back = SystemColour::WindowBackground;
    Colour PulseBack = SystemColour::WindowBackground;
    int Bar = 0;          // the pulse bar, 0..248
    bool NoData = false;  // the no-data warning is on
    UnitValues Unit;      // the numbers behind the fields, as the unit sent them

    friend bool operator==(const Reading&, const Reading&) = default;
};

inline constexpr int kPulseBarMaximum = 248;

}  // namespace trelvo::core
