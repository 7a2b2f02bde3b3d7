#include "core/contrast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace trelvo::core {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

TEST(Contrast, RatiosOfKnownPairs)
{
    EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, kBlack), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(kBlack, kWhite), 21.0);
    EXPECT_NEAR(ContrastRatio({0, 192, 0}, kWhite), 2.46, 0.005);      // the pulse digits on white
    EXPECT_NEAR(ContrastRatio({255, 192, 192}, kWhite), 1.55, 0.005);  // the no-data blink on white
    EXPECT_EQ(KindOf({239, 239, 239}, kBlack), PaletteKind::Normal);
    EXPECT_EQ(KindOf({0x22, 0x20, 0x20}, kWhite), PaletteKind::Dark);
    EXPECT_EQ(KindOf(kWhite, kBlack), PaletteKind::HighContrast);
    EXPECT_EQ(Mix(kBlack, {200, 100, 0}, 0.5), (Rgb{100, 50, 0}));
}

// Whatever the colour and the background: the variant reaches the least contrast asked for (or is
// black or white, where nothing of its hue does), keeps a colour that reaches it already, and keeps
// the hue of a colour that has one.
TEST(Contrast, AVariantIsLegibleAndKeepsItsHueForAnyColourOnAnyBackground)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    const auto any = [&] {
        return Rgb{static_cast<std::uint8_t>(byte(random)), static_cast<std::uint8_t>(byte(random)),
                   static_cast<std::uint8_t>(byte(random))};
    };
    const auto hue = [](Rgb c) {
        return std::atan2(std::sqrt(3.0) * (c.green - c.blue), 2.0 * c.red - c.green - c.blue);
    };
    for (int i = 0; i < 20'000; ++i) {
        const Rgb colour = any(), background = any();
        const double least = i % 2 ? kLargeTextContrast : kSmallTextContrast;
        const Rgb variant = LegibleVariant(colour, background, least);
        SCOPED_TRACE(testing::Message() << int(colour.red) << ',' << int(colour.green) << ',' << int(colour.blue)
                                        << " on " << int(background.red) << ',' << int(background.green) << ','
                                        << int(background.blue));
        if (ContrastRatio(colour, background) >= least) {
            EXPECT_EQ(variant, colour);
            continue;
        }
        if (variant == kBlack || variant == kWhite) {
            EXPECT_GE(ContrastRatio(variant, background), ContrastRatio(colour, background));
            continue;
        }
        EXPECT_GE(ContrastRatio(variant, background), least);
        const int spread =
            std::max({colour.red, colour.green, colour.blue}) - std::min({colour.red, colour.green, colour.blue});
        const int variantSpread =
            std::max({variant.red, variant.green, variant.blue}) - std::min({variant.red, variant.green, variant.blue});
        if (spread >= 40 && variantSpread >= 40) {
            EXPECT_NEAR(std::remainder(hue(variant) - hue(colour), 2 * M_PI), 0, 0.15);
        }
    }
}

// The README's table of colours: each row's colour as shown is the one the program shows (the
// given colour on a normal palette, its variant elsewhere) and its contrast is what the row says.
TEST(Contrast, TheReadmesTableOfColoursIsTrue)
{
    std::ifstream readme(TRELVO_README);
    ASSERT_TRUE(readme) << TRELVO_README;
    // | what | #given | #background | #shown | contrast | least |
    const auto cells = [](const std::string& line) {
        std::vector<std::string> out;
        std::istringstream in(line);
        for (std::string cell; std::getline(in, cell, '|');)
            out.push_back(cell.size() >= 2 ? cell.substr(1, cell.size() - 2) : cell);
        return out;
    };
    const auto rgb = [](const std::string& hex) {
        const unsigned long v = std::stoul(hex, nullptr, 16);
        return Rgb{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    };
    int rows = 0;
    for (std::string line; std::getline(readme, line);) {
        const std::vector<std::string> m = cells(line);
        if (m.size() != 7 || m[2].size() != 7 || m[2][0] != '#' || m[3][0] != '#' || m[4][0] != '#')
            continue;
        ++rows;
        SCOPED_TRACE(line);
        const Rgb given = rgb(m[2].substr(1)), background = rgb(m[3].substr(1)), shown = rgb(m[4].substr(1));
        const std::string& least = m[6];
        EXPECT_EQ(shown, least == "—" ? given : LegibleVariant(given, background, std::stod(least)));
        EXPECT_NEAR(ContrastRatio(shown, background), std::stod(m[5]), 0.005);
        if (least != "—") {
            EXPECT_GE(ContrastRatio(shown, background), std::stod(least));
        }
    }
    EXPECT_GE(rows, 15);
}

}  // namespace
}  // namespace trelvo::core
