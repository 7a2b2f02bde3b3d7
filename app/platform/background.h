#pragma once

namespace trelvo::app {

// Work off the window's thread (reading a folder of nights) yields to the live display: the
// calling thread gets a lower scheduling priority (nice 10) of its own.
void YieldToTheDisplay();

}  // namespace trelvo::app
