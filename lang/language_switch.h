#pragma once

#include <cstdint>

class QObject;
class QString;
class QWidget;

namespace trelvo::lang {

// A control whose "Tag" property is a non-empty decimal text n shows the text base + n.
inline constexpr char kTagProperty[] = "Tag";

// Gives a control its Tag: from now on it shows the text at this offset.
void SetTag(QObject& control, int offset);

// A control that shows no text of its own (a value, a picture) is named to a screen reader by
// the text at this offset, in the language in force.
inline constexpr char kNameTagProperty[] = "NameTag";
void SetNameTag(QWidget& control, int offset);

// Re-captions every Tagged control and menu item of every window with the texts of this
// language, and has Qt's own dialogs (file, folder, message) speak it where Qt's translations for
// it are installed.
void ApplyLanguage(std::int32_t base);

// Gives the menus of a window's menu bar, the items of each menu, and the window's buttons,
// labelled fields and tabs a mnemonic (Alt + a letter), each unique among its neighbours: a
// word's first letter where one is free, else another letter or a digit. Run again after the
// texts change.
void AssignMnemonics(QWidget& window);

// The text at this offset in the language of this base (English when it names none).
[[nodiscard]] QString TextOf(std::int32_t base, int offset);

}  // namespace trelvo::lang
