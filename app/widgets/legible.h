#pragma once

#include "core/contrast.h"

#include <QColor>
#include <QPalette>

namespace trelvo::app {

// The windows' own colours (the pulse digits' green, the no-data red, the version's grey, the
// start window's warning) are made for a light window. On such a palette they stay as they are;
// on a dark or high-contrast palette each is shown as the variant of its hue that reaches
// `minimum` against the background it sits on.
[[nodiscard]] bool NeedsVariants(const QPalette& palette);
[[nodiscard]] QColor Legible(const QColor& colour, const QColor& background, double minimum = core::kLargeTextContrast);

}  // namespace trelvo::app
