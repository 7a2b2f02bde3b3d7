#pragma once

#include "core/decoder.h"
#include "core/display.h"
#include "core/measurement.h"
#include "core/reading.h"
#include "core/tone.h"
#include "core/trace.h"
#include "core/watchdog.h"

#include <cstdint>
#include <span>

namespace trelvo::core {

// Takes the wave samples as they are decoded (the recorder keeps them).
class WaveTap {
public:
    virtual ~WaveTap() = default;
    virtual void TakeWaveSamples(std::span<const std::uint8_t> samples) = 0;
};

// From the unit's bytes to what the window shows: the decoder feeds the display rules, the trace,
// the pulse tone, the bar and the watchdog with direct calls. The window, the recorder, the
// fuzzer and the tools all run this one pipeline; what it produces is the Reading and the trace
// steps, which its owner draws.
class MeasurementPipeline final {
public:
    // languageBase is read at each text the pipeline shows, so a switch follows at once.
    MeasurementPipeline(const std::int16_t& languageBase, ToneOutput& tone) noexcept
        : m_languageBase(languageBase), m_trace(m_measurement), m_tone(m_measurement, tone),
          m_watchdog(m_measurement, languageBase, m_reading), m_decoder(m_measurement, *this)
    {
    }
    MeasurementPipeline(const MeasurementPipeline&) = delete;
    MeasurementPipeline& operator=(const MeasurementPipeline&) = delete;

    // Bytes from the line, in order; a value pending at the end applies to the next chunk.
    void Decode(std::span<const std::uint8_t> bytes) { m_decoder.Decode(bytes); }
    // One tick of the 700 ms no-data watchdog.
    void WatchdogTick() { m_watchdog.Tick(); }

    [[nodiscard]] const Reading& CurrentReading() const noexcept { return m_reading; }
    [[nodiscard]] const MeasurementState& Measurement() const noexcept { return m_measurement; }
    [[nodiscard]] const DecoderState& Decoder() const noexcept { return m_decoder.State(); }
    [[nodiscard]] WaveTrace& Trace() noexcept { return m_trace; }
    [[nodiscard]] const WaveTrace& Trace() const noexcept { return m_trace; }
    [[nodiscard]] PulseTone& Tone() noexcept { return m_tone; }
    [[nodiscard]] const PulseTone& Tone() const noexcept { return m_tone; }
    [[nodiscard]] const NoDataWatchdog& Watchdog() const noexcept { return m_watchdog; }
    // Every wave sample also goes to the tap, in order, when one is set.
    void SetWaveTap(WaveTap* tap) noexcept { m_waveTap = tap; }

    // The decoder's effects.
    void ShowMeasurement() { core::ShowMeasurement(m_measurement, m_languageBase, m_reading); }
    void SoundPulseTone() { m_tone.SoundPulseTone(); }
    void DrawWaveSample(std::int16_t sample)
    {
        m_trace.DrawWaveSample(sample);
        if (m_waveTap) {
            const auto byte = static_cast<std::uint8_t>(sample);
            m_waveTap->TakeWaveSamples(std::span(&byte, 1));
        }
    }
    void DrawWaveSamples(std::span<const std::uint8_t> run)
    {
        m_trace.DrawWaveSamples(run);
        if (m_waveTap)
            m_waveTap->TakeWaveSamples(run);
    }
    void ShowPulseBar(std::int16_t sample) noexcept { core::ShowPulseBar(sample, m_reading); }

private:
    const std::int16_t& m_languageBase;
    MeasurementState m_measurement;
    Reading m_reading;
    WaveTrace m_trace;
    PulseTone m_tone;
    NoDataWatchdog m_watchdog;
    BasicDecoder<MeasurementPipeline> m_decoder;
    WaveTap* m_waveTap = nullptr;
};

}  // namespace trelvo::core
