#pragma once

namespace trelvo::app {

// What a screen reader is told of the controls Qt's own descriptions miss: a window made of a
// plain widget (the start window, the nights window) is a window, not a filler; a live value is
// named with its value and unit; an announcement is an alert or a notification. Installed once
// for the program.
void InstallAccessibleFaces();

// Set true on a label whose name must be read with what it shows ("Time of day: 22:41:07").
inline constexpr char kReadsWithTextProperty[] = "ReadsWithText";

}  // namespace trelvo::app
