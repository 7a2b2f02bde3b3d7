#pragma once

#include <QIcon>
#include <QPixmap>

namespace trelvo::app {

// The program's own pictures, drawn in code: the 200 x 45 logo of the main window and the
// window icon (32 x 32 and 16 x 16).
[[nodiscard]] QPixmap MakeLogo();
[[nodiscard]] QIcon MakeWindowIcon();
// The icon at one size (the installed icons are these pictures).
[[nodiscard]] QPixmap MakeIconPixmap(int size);

}  // namespace trelvo::app
