#pragma once

#include <cstdint>
#include <variant>

namespace trelvo::core {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The platform's colours, by the roles the windows use them for; the window resolves them from
// the current palette.
enum class SystemColour {
    WindowBackground,  // the background of a window's content
    Highlight,         // highlighted text
};

using Colour = std::variant<SystemColour, Rgb>;

// The light red of the no-data warning.
inline constexpr Rgb kAlertBackColor{255, 192, 192};

}  // namespace trelvo::core
