#include "report/render/ink.h"

#include "core/contrast.h"

namespace trelvo::report {
namespace {

core::Rgb ToRgb(const QColor& c)
{
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

QColor ToColor(core::Rgb c)
{
    return {c.red, c.green, c.blue};
}

QColor PaperBand(int b)
{
    return QColor(200, 60 + 30 * b, 60);
}

}  // namespace

QColor Ink::Band(int b) const
{
    if (b == 0)
        return spo2;
    if (b == 1)
        return bandMid;
    if (m_screen && b - 2 < static_cast<int>(std::size(m_bandLow)))
        return m_bandLow[b - 2];
    return PaperBand(b);
}

Ink Ink::ForScreen(const QColor& background, const QColor& text)
{
    const core::Rgb back = ToRgb(background);
    const auto mixed = [&](core::Rgb to, double share) { return ToColor(core::Mix(back, to, share)); };
    const auto legible = [&](const QColor& c, double minimum) {
        return ToColor(core::LegibleVariant(ToRgb(c), back, minimum));
    };
    const Ink paper;
    Ink ink;
    ink.m_screen = true;
    ink.paper = background;
    ink.text = legible(text, core::kSmallTextContrast);
    const core::Rgb inkText = ToRgb(ink.text);
    ink.grid = mixed(inkText, 0.08);
    ink.stripe = mixed(inkText, 0.05);
    ink.gap = mixed(inkText, 0.12);
    ink.event = mixed({255, 0, 0}, core::RelativeLuminance(back) < 0.18 ? 0.35 : 0.25);
    ink.rise = mixed({0, 160, 0}, core::RelativeLuminance(back) < 0.18 ? 0.35 : 0.22);
    ink.rule = legible(paper.rule, core::kLargeTextContrast);
    ink.spo2 = legible(paper.spo2, core::kLargeTextContrast);
    ink.pulse = legible(paper.pulse, core::kLargeTextContrast);
    ink.warning = legible(paper.warning, core::kSmallTextContrast);
    ink.t90 = legible(paper.t90, core::kLargeTextContrast);
    ink.bandMid = legible(paper.bandMid, core::kLargeTextContrast);
    for (int b = 0; b < static_cast<int>(std::size(ink.m_bandLow)); ++b)
        ink.m_bandLow[b] = legible(PaperBand(b + 2), core::kLargeTextContrast);
    return ink;
}

}  // namespace trelvo::report
