#include "core/contrast.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace trelvo::core {
namespace {

double Linear(std::uint8_t channel) noexcept
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

struct Hsl {
    double hue = 0;  // 0..6, in sixths of the circle
    double saturation = 0;
    double lightness = 0;
};

Hsl ToHsl(Rgb c) noexcept
{
    const double r = c.red / 255.0, g = c.green / 255.0, b = c.blue / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    Hsl hsl;
    hsl.lightness = (high + low) / 2;
    const double chroma = high - low;
    if (chroma <= 0)
        return hsl;
    hsl.saturation = chroma / (1 - std::abs(2 * hsl.lightness - 1));
    if (high == r)
        hsl.hue = std::fmod((g - b) / chroma + 6, 6);
    else if (high == g)
        hsl.hue = (b - r) / chroma + 2;
    else
        hsl.hue = (r - g) / chroma + 4;
    return hsl;
}

Rgb FromHsl(const Hsl& hsl) noexcept
{
    const double chroma = (1 - std::abs(2 * hsl.lightness - 1)) * hsl.saturation;
    const double x = chroma * (1 - std::abs(std::fmod(hsl.hue, 2) - 1));
    const double m = hsl.lightness - chroma / 2;
    std::array<double, 3> rgb{};
    switch (static_cast<int>(hsl.hue) % 6) {
    case 0: rgb = {chroma, x, 0}; break;
    case 1: rgb = {x, chroma, 0}; break;
    case 2: rgb = {0, chroma, x}; break;
    case 3: rgb = {0, x, chroma}; break;
    case 4: rgb = {x, 0, chroma}; break;
    default: rgb = {chroma, 0, x}; break;
    }
    const auto byte = [m](double v) {
        return static_cast<std::uint8_t>(std::lround(std::clamp(v + m, 0.0, 1.0) * 255));
    };
    return {byte(rgb[0]), byte(rgb[1]), byte(rgb[2])};
}

}  // namespace

double RelativeLuminance(Rgb colour) noexcept
{
    return 0.2126 * Linear(colour.red) + 0.7152 * Linear(colour.green) + 0.0722 * Linear(colour.blue);
}

double ContrastRatio(Rgb a, Rgb b) noexcept
{
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb LegibleVariant(Rgb colour, Rgb background, double minimum) noexcept
{
    if (ContrastRatio(colour, background) >= minimum)
        return colour;
    const bool darkBackground = RelativeLuminance(background) < 0.18;  // where black and white part
    Hsl hsl = ToHsl(colour);
    // Lightness in steps of a 255th keeps every channel's byte apart from the last.
    for (int step = 0; step < 256; ++step) {
        hsl.lightness = std::clamp(hsl.lightness + (darkBackground ? 1.0 : -1.0) / 255, 0.0, 1.0);
        const Rgb variant = FromHsl(hsl);
        if (ContrastRatio(variant, background) >= minimum)
            return variant;
    }
    const Rgb black{0, 0, 0}, white{255, 255, 255};
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

Rgb Mix(Rgb from, Rgb to, double share) noexcept
{
    const auto channel = [share](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * std::clamp(share, 0.0, 1.0)));
    };
    return {channel(from.red, to.red), channel(from.green, to.green), channel(from.blue, to.blue)};
}

PaletteKind KindOf(Rgb window, Rgb windowText) noexcept
{
    if (RelativeLuminance(window) < RelativeLuminance(windowText))
        return PaletteKind::Dark;
    return ContrastRatio(window, windowText) >= 20 ? PaletteKind::HighContrast : PaletteKind::Normal;
}

}  // namespace trelvo::core
