#pragma once

#include <cstdio>
#include <optional>

namespace trelvo::app {

// --help and --version, answered on `out` before any window or display is needed: the status to
// exit with, or nothing when the program is to start (Qt's own options, such as -platform, pass).
[[nodiscard]] std::optional<int> AnswerCommandLine(int argc, const char* const argv[], std::FILE* out);

}  // namespace trelvo::app
