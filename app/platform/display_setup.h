#pragma once

namespace trelvo::app {

// Settings for the window system that must be made before the QApplication exists.
//
// The window repaints a few small regions thirty times a second all night. Through X11's shared
// memory extension every such flush waits for the X server's answer twice, which wakes the
// program two more times a frame and costs more than copying the few changed pixels over the
// socket. So shared memory is left off (QT_XCB_NO_MITSHM), unless the user has said otherwise.
void PrepareDisplay();

}  // namespace trelvo::app
