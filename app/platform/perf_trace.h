#pragma once

namespace trelvo::app {

// A timestamped trace for measuring the program from outside, on only when TRELVO_TRACE names a
// file: one line "<CLOCK_MONOTONIC ns> <event> <value>" per event. Off, it costs one test of a
// flag.
bool PerfTraceOn() noexcept;
void PerfTrace(const char* event, long value = 0) noexcept;

}  // namespace trelvo::app

#include <functional>

class QWidget;
class QLabel;
class QObject;

namespace trelvo::app {

// The trace's hooks, installed only while it is on: every time the event loop goes to sleep
// ("sleep"), a window's first paint, and an SpO2 field's new text ("spo2-text") and each of its
// paints ("spo2-paint"), with the value. The nights window notes each listing it shows
// ("nights-listed", the number of nights).
void TraceEventLoop();
void TraceFirstPaint(QWidget& window, const char* event);
// Notes the field's paints; the check it returns notes a new text, run after each update that
// may have set it (the caller connects it to what updates the field).
[[nodiscard]] std::function<void()> TraceSpO2Field(QLabel& field);

}  // namespace trelvo::app
