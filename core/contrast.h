#pragma once

#include "core/colour.h"

namespace trelvo::core {

// Contrast as readers with low vision need it: the relative luminance of an sRGB colour and the
// ratio of two (1 to 21), as the web's accessibility guidelines define them. 3:1 is the least for
// large text and lines, 4.5:1 for small text.
[[nodiscard]] double RelativeLuminance(Rgb colour) noexcept;
[[nodiscard]] double ContrastRatio(Rgb a, Rgb b) noexcept;

inline constexpr double kLargeTextContrast = 3.0;
inline constexpr double kSmallTextContrast = 4.5;

// The colour itself if it reaches `minimum` against the background; otherwise the nearest colour
// of the same hue and saturation, lighter on a dark background and darker on a light one, that
// does. Black or white where no such colour exists.
[[nodiscard]] Rgb LegibleVariant(Rgb colour, Rgb background, double minimum) noexcept;

// `share` of the way from one colour to another (0: from, 1: to).
[[nodiscard]] Rgb Mix(Rgb from, Rgb to, double share) noexcept;

// How a desktop's palette is made, by its window colour and its text colour: dark (light text on
// a dark window), high-contrast (pure black and white, 20:1 or more), or normal.
enum class PaletteKind { Normal, Dark, HighContrast };
[[nodiscard]] PaletteKind KindOf(Rgb window, Rgb windowText) noexcept;

}  // namespace trelvo::core
