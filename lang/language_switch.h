#pragma once

#include <QString>

#include <cstdint>

class QStatusBar;
class QWidget;

namespace trelvo::lang {

// A control whose "Tag" property is a non-empty decimal text n shows the text base + n.
inline constexpr char kTagProperty[] = "Tag";

// Gives the main window's six language-dependent menus and menu items their Tags.
void AssignCaptionTags(QWidget& mainWindow);

// Re-captions every Tagged control and menu item of every window, rebuilds the status bar text
// (StsBar1) from the recording state and checks exactly one language item. Any base other than
// 0 counts as English for the check marks.
void ApplyLanguage(std::int32_t base, bool recording, const QString& recordFileName);

// The one line of text a status bar shows. Kept in a label of its own, since QStatusBar's
// message would be wiped by every menu item the mouse passes over.
void SetSimpleText(QStatusBar& statusBar, const QString& text);
[[nodiscard]] QString SimpleText(const QStatusBar& statusBar);

// The status bar text for the recording state: "Data written to:" directly followed by the
// path, or "Data is NOT written to file!".
[[nodiscard]] QString RecordingStatusText(std::int32_t base, bool recording, const QString& recordFileName);

}  // namespace trelvo::lang
