#pragma once

#include "core/reading.h"

#include <cstdint>
#include <optional>
#include <string>

namespace trelvo::core {

// What the probe is doing, as a person listening needs to know it.
enum class ProbeState : std::uint8_t { Unknown, Ok, NoProbe, NoSignal, NoData };

[[nodiscard]] ProbeState ProbeStateOf(const Reading& shown) noexcept;

// When a screen reader is told the live values. Nobody can listen to a value every second, so
// changed values are told at most every ten seconds; a change of the probe's state (probe off, no
// finger, no data, back to normal) is told at once, as an alert, and values that come back after
// a stretch without any are told at once too.
class Announcer final {
public:
    static constexpr std::int64_t kValuesEveryMs = 10'000;

    enum class Tell : std::uint8_t { Values, Alert };

    // What to tell now, given what the fields show at `nowMs` (a steady clock); nothing if the
    // listener knows it already or heard values less than ten seconds ago.
    [[nodiscard]] std::optional<Tell> Next(std::int64_t nowMs, const Reading& shown);

private:
    ProbeState m_state = ProbeState::Unknown;
    std::string m_spo2;
    std::string m_pulse;
    std::int64_t m_valuesToldAt = 0;
};

// A field's text as a value: "--", "---" and an empty field carry none.
[[nodiscard]] bool HasValue(const std::string& fieldText) noexcept;

}  // namespace trelvo::core
