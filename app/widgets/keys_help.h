#pragma once

#include <cstdint>

class QWidget;

namespace trelvo::app {

// F1: the keys of a window, from the text at this offset in the language given (a key and what
// it does on each line, tab between them), in a message box over the window.
void ShowKeys(QWidget& window, std::int16_t languageBase, int offset);

}  // namespace trelvo::app
