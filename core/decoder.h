#pragma once

#include "core/measurement.h"

#include <cstdint>
#include <span>
#include <vector>

namespace trelvo::core {

// Byte values of the unit's stream.
namespace marker {
inline constexpr std::uint8_t kFirst = 248;    // 248..255 are never wave samples
inline constexpr std::uint8_t kSpO2 = 249;     // next byte: SpO2 in percent
inline constexpr std::uint8_t kPulse = 250;    // next byte: pulse per minute
inline constexpr std::uint8_t kStatus = 251;   // next byte: probe status
inline constexpr std::uint8_t kExtra = 252;    // next byte: a value nobody shows
}  // namespace marker

// What the decoder remembers between chunks. At most one pending flag is set at a time.
struct DecoderState {
    std::uint8_t BarCounter = 0;  // bytes since the last pulse-bar update, stops at 250
    bool SpO2Pending = false;
    bool PulsePending = false;
    bool StatusPending = false;
    bool ExtraPending = false;
};

inline constexpr std::uint8_t kBarCounterLimit = 250;

// Walks the unit's byte stream one byte at a time and triggers the effects in a fixed order.
// There is no framing: a lost or extra byte is decoded by the same rules, every byte value is
// valid input, and a marker at the end of one chunk applies to the first byte of the next.
class Decoder final {
public:
    Decoder(MeasurementState& measurement, MeasurementSink& sink) noexcept
        : m_measurement(measurement), m_sink(sink)
    {
    }

    // Decodes every byte of the buffer in order and leaves it empty.
    void DecodeSerialData(std::vector<std::uint8_t>& buffer);
    // The same for bytes the caller keeps.
    void Decode(std::span<const std::uint8_t> bytes);

    [[nodiscard]] const DecoderState& State() const noexcept { return m_state; }

private:
    void DecodeByte(std::uint8_t b);

    DecoderState m_state;
    MeasurementState& m_measurement;
    MeasurementSink& m_sink;
};

}  // namespace trelvo::core
