#pragma once

#include "core/measurement.h"

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <span>
#include <vector>

namespace trelvo::core {

// Byte values of the unit's stream.
namespace marker {
inline constexpr std::uint8_t kFirst = 248;   // 248..255 are never wave samples
inline constexpr std::uint8_t kSpO2 = 249;    // next byte: SpO2 in percent
inline constexpr std::uint8_t kPulse = 250;   // next byte: pulse per minute
inline constexpr std::uint8_t kStatus = 251;  // next byte: probe status
inline constexpr std::uint8_t kExtra = 252;   // next byte: a value nobody shows
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

// The effects the decoder triggers, called directly (no virtual calls: one of them runs for
// every wave sample):
//   ShowMeasurement()        a status byte has just been stored in ProbeStatus
//   SoundPulseTone()         a pulse byte has just been stored in PulseValue; may block for a tone
//   DrawWaveSample(sample)   every wave sample (0..247)
//   ShowPulseBar(sample)     every fourth byte position that carries a wave sample
template <class S>
concept MeasurementSink = requires(S& sink, std::int16_t sample)
{
    sink.ShowMeasurement();
    sink.SoundPulseTone();
    sink.DrawWaveSample(sample);
    sink.ShowPulseBar(sample);
};

// A sink that shows only where things stand after a chunk (the window draws once per batch) may
// also take a run of wave samples at once, DrawWaveSamples(run): the same as DrawWaveSample on
// each of them. The decoder then draws the run and moves the bar once, to the last sample the bar
// would have shown in that run.
template <class S>
concept RunSink = MeasurementSink<S> && requires(S& sink, std::span<const std::uint8_t> run)
{
    sink.DrawWaveSamples(run);
};

// Walks the unit's byte stream one byte at a time and triggers the effects in a fixed order.
// There is no framing: a lost or extra byte is decoded by the same rules, every byte value is
// valid input, and a marker at the end of one chunk applies to the first byte of the next.
//
template <class Sink>
class BasicDecoder final {
public:
    BasicDecoder(MeasurementState& measurement, Sink& sink) noexcept : m_measurement(measurement), m_sink(sink) {}

    void Decode(std::span<const std::uint8_t> bytes)
    {
        // Checked here, not on the class: a sink may own its decoder and be incomplete there.
        static_assert(MeasurementSink<Sink>);
        const std::uint8_t* p = bytes.data();
        const std::uint8_t* const end = p + bytes.size();
        while (p != end) {
            // Most bytes are wave samples with no value pending: take such runs in a tight loop.
            // The effects and the state are exactly those of DecodeByte on each of them.
            if (!AnyPending()) {
                if constexpr (RunSink<Sink>) {
                    const std::uint8_t* run = p;
                    while (p != end && *p < marker::kFirst)
                        ++p;
                    DecodeSamples(run, p);
                } else {
                    for (; p != end && *p < marker::kFirst; ++p)
                        DecodeSample(*p);
                }
                if (p == end)
                    break;
            }
            DecodeByte(*p++);
        }
    }

    [[nodiscard]] const DecoderState& State() const noexcept { return m_state; }

private:
    [[nodiscard]] bool AnyPending() const noexcept
    {
        return m_state.SpO2Pending || m_state.PulsePending || m_state.StatusPending || m_state.ExtraPending;
    }

    // A wave sample with no value pending: value stage and counting stage; no marker applies.
    void DecodeSample(std::uint8_t b)
    {
        const auto sample = static_cast<std::int16_t>(b);
        m_sink.DrawWaveSample(sample);
        // Tested before counting: the bar gets the 5th byte after start, then every 4th.
        if (m_state.BarCounter > 3) {
            m_state.BarCounter = 0;
            m_sink.ShowPulseBar(sample);
        }
        if (m_state.BarCounter < kBarCounterLimit)
            ++m_state.BarCounter;
    }

    // A run of wave samples with no value pending, for a sink that draws runs. The counting stage
    // as DecodeSample would do it sample by sample: the bar takes the sample where the counter is
    // above 3, and then every fourth.
    void DecodeSamples(const std::uint8_t* first, const std::uint8_t* last)
    {
        const auto n = static_cast<std::size_t>(last - first);
        if (n == 0)
            return;
        m_sink.DrawWaveSamples(std::span(first, n));
        const std::uint8_t counter = m_state.BarCounter;
        const std::size_t firstShown = counter > 3 ? 0 : static_cast<std::size_t>(4 - counter);
        if (firstShown >= n) {
            m_state.BarCounter = static_cast<std::uint8_t>(std::min<std::size_t>(kBarCounterLimit, counter + n));
            return;
        }
        const std::size_t lastShown = firstShown + (n - 1 - firstShown) / 4 * 4;
        m_sink.ShowPulseBar(static_cast<std::int16_t>(first[lastShown]));
        m_state.BarCounter = static_cast<std::uint8_t>(n - lastShown);
    }

    void DecodeByte(std::uint8_t b)
    {
        DecoderState& s = m_state;

        // Value stage: a pending value takes the byte, whatever its value.
        if (s.ExtraPending) {
            s.ExtraPending = false;
        } else if (s.StatusPending) {
            m_measurement.ProbeStatus = b;
            m_sink.ShowMeasurement();
            s.StatusPending = false;
        } else if (s.PulsePending) {
            m_measurement.PulseValue = b;
            m_sink.SoundPulseTone();
            s.PulsePending = false;
        } else if (s.SpO2Pending) {
            // Shown only with the next status byte.
            m_measurement.SpO2Value = b;
            s.SpO2Pending = false;
        } else if (b < marker::kFirst) {
            DecodeSample(b);
            return;  // counted there; a sample is no marker
        }

        if (s.BarCounter < kBarCounterLimit)
            ++s.BarCounter;

        // Marker stage, also for a byte just taken as a value: an SpO2 of 250 arms the pulse value.
        switch (b) {
        case marker::kSpO2:
            m_measurement.NoDataTicks = 0;
            s.SpO2Pending = true;
            break;
        case marker::kPulse: s.PulsePending = true; break;
        case marker::kStatus: s.StatusPending = true; break;
        case marker::kExtra: s.ExtraPending = true; break;
        default: break;
        }
    }

    DecoderState m_state;
    MeasurementState& m_measurement;
    Sink& m_sink;
};

}  // namespace trelvo::core
