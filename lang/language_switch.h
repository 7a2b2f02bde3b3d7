#pragma once

#include <cstdint>

class QObject;
class QString;

namespace trelvo::lang {

// A control whose "Tag" property is a non-empty decimal text n shows the text base + n.
inline constexpr char kTagProperty[] = "Tag";

// Gives a control its Tag: from now on it shows the text at this offset.
void SetTag(QObject& control, int offset);

// Re-captions every Tagged control and menu item of every window with the texts of this
// language, and has Qt's own dialogs (file, folder, message) speak it where Qt's translations for
// it are installed.
void ApplyLanguage(std::int32_t base);

// The text at this offset in the language of this base (English when it names none).
[[nodiscard]] QString TextOf(std::int32_t base, int offset);

}  // namespace trelvo::lang
