#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace trelvo::settings {

// Reads a stored decimal text as it was written, allowing blanks around it and a sign; anything
// else (fractions, trailing letters, out of range) is no number at all rather than some other
// value.
[[nodiscard]] std::optional<std::int16_t> ParseInt16(std::string_view text) noexcept;
[[nodiscard]] std::optional<std::uint8_t> ParseUInt8(std::string_view text) noexcept;

}  // namespace trelvo::settings
