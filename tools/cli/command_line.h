#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

namespace trelvo::tools {

// The exit statuses of the command-line tools, one meaning each.
inline constexpr int kAllWritten = 0;
inline constexpr int kNotWritten = 1;  // an output could not be written
inline constexpr int kRefused = 2;     // the command line or an input was refused

// Parses the arguments, --help and --version added. Nothing: go on. Else the status to end with:
// kAllWritten after --help or --version (said on stdout), kRefused after an option that is
// unknown, lacks its value or has one it does not take (said on stderr, as the tool's other
// errors are).
[[nodiscard]] std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments);

}  // namespace trelvo::tools
