#pragma once

#include "core/colour.h"

#include <string>

namespace trelvo::core {

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

    friend bool operator==(const Reading&, const Reading&) = default;
};

inline constexpr int kPulseBarMaximum = 248;

}  // namespace trelvo::core
