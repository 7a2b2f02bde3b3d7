#pragma once

namespace trelvo::app {

// A timestamped trace for measuring the program from outside, on only when TRELVO_TRACE names a
// file: one line "<CLOCK_MONOTONIC ns> <event> <value>" per event. Off, it costs one test of a
// flag.
bool PerfTraceOn() noexcept;
void PerfTrace(const char* event, long value = 0) noexcept;

}  // namespace trelvo::app
