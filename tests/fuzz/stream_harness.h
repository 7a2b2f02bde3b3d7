#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trelvo::test {

// Runs one fuzz input through the program's measurement pipeline (decoder, display rules, trace,
// tone selection, watchdog), and returns the first broken invariant ("" when all held). The input is a sequence of
// steps, each led by one byte:
//   0x00..0xBF  decode the next (op & 0x3F) + 1 bytes as one chunk from the line
//   0xC0..0xDF  (op & 0x1F) + 1 watchdog ticks
//   0xE0..0xEF  Pulse Tone switched on or off
//   0xF0..0xF7  language switched between German and English
//   0xF8..0xFF  the trace surface resized to a width of 1 + the next byte
[[nodiscard]] std::string RunStreamCase(const std::uint8_t* data, std::size_t size);

// Wraps a plain line stream into harness steps: chunks of the given size, a watchdog tick after
// every chunk.
[[nodiscard]] std::string StreamAsSteps(const std::string& stream, std::size_t chunk);

}  // namespace trelvo::test
