#include "app/widgets/legible.h"

#include <QApplication>

namespace trelvo::app {
namespace {

core::Rgb ToRgb(const QColor& c)
{
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

}  // namespace

bool NeedsVariants(const QPalette& palette)
{
    return core::KindOf(ToRgb(palette.color(QPalette::Window)), ToRgb(palette.color(QPalette::WindowText))) !=
           core::PaletteKind::Normal;
}

QColor Legible(const QColor& colour, const QColor& background, double minimum)
{
    if (!NeedsVariants(QApplication::palette()))
        return colour;
    const core::Rgb variant = core::LegibleVariant(ToRgb(colour), ToRgb(background), minimum);
    return {variant.red, variant.green, variant.blue};
}

}  // namespace trelvo::app
