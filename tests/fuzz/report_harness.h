#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trelvo::test {

// Reads the bytes as a record file, or as a per-second file, runs everything the report does
// with a night except writing files (figures, summary, event list, CSV rows, OSCAR records, the
// beats and the resampled wave), and checks what must hold whatever the file says. Returns the
// broken rule, or nothing.
[[nodiscard]] std::string RunRecordFileCase(const std::uint8_t* data, std::size_t size);
[[nodiscard]] std::string RunPerSecondCase(const std::uint8_t* data, std::size_t size);

}  // namespace trelvo::test
