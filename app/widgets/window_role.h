#pragma once

namespace trelvo::app {

// A window made of a plain widget (the start window, the nights window) is a window to a screen
// reader, as a main window or a dialog is, not a filler. Installed once for the program.
void InstallWindowRole();

}  // namespace trelvo::app
