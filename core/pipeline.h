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

// What the recorder keeps, handed over as it is decoded: each batch of bytes with the second it
// arrived in, the wave samples in order, and the unit's values behind the fields whenever they
// or the no-data warning change.
class MeasurementTap {
public:
    virtual ~MeasurementTap() = default;
    // A batch of bytes that arrived in this second (since 1970) is about to be decoded.
    virtual void BeginBatch(std::int64_t second) = 0;
    virtual void TakeWaveSamples(std::span<const std::uint8_t> samples) = 0;
    virtual void TakeUnitValues(const UnitValues& values, bool noData) = 0;
};

// From the unit's bytes to what the window shows: the decoder feeds the display rules, the trace,
// the pulse tone, the bar and the watchdog with direct calls. The window, the recorder, the
// fuzzer and the tools all run this one pipeline; what it produces is the Reading and the trace
// steps, which its owner draws.
class MeasurementPipeline final {
public:
    // The texts the pipeline shows are in this language until SetLanguage says otherwise.
    MeasurementPipeline(std::int16_t languageBase, ToneOutput& tone) noexcept
        : m_languageBase(languageBase),
          m_trace(m_measurement),
          m_tone(m_measurement, tone),
          m_watchdog(m_measurement, languageBase, m_reading),
          m_decoder(m_measurement, *this)
    {
    }
    MeasurementPipeline(const MeasurementPipeline&) = delete;
    MeasurementPipeline& operator=(const MeasurementPipeline&) = delete;

    // Bytes from the line, in order, with the second they arrived in; a value pending at the end
    // applies to the next chunk.
    void Decode(std::span<const std::uint8_t> bytes, std::int64_t second)
    {
        if (m_tap)
            m_tap->BeginBatch(second);
        m_decoder.Decode(bytes);
    }
    // One tick of the 700 ms no-data watchdog.
    void WatchdogTick()
    {
        const bool noData = m_reading.NoData;
        m_watchdog.Tick();
        if (m_tap && m_reading.NoData != noData)
            m_tap->TakeUnitValues(m_reading.Unit, m_reading.NoData);
    }
    // A language switch: the next text shown (a value update, a watchdog tick) follows it.
    void SetLanguage(std::int16_t languageBase) noexcept
    {
        m_languageBase = languageBase;
        m_watchdog.SetLanguage(languageBase);
    }

    [[nodiscard]] const Reading& CurrentReading() const noexcept { return m_reading; }
    [[nodiscard]] const MeasurementState& Measurement() const noexcept { return m_measurement; }
    [[nodiscard]] const DecoderState& Decoder() const noexcept { return m_decoder.State(); }
    [[nodiscard]] WaveTrace& Trace() noexcept { return m_trace; }
    [[nodiscard]] const WaveTrace& Trace() const noexcept { return m_trace; }
    [[nodiscard]] PulseTone& Tone() noexcept { return m_tone; }
    [[nodiscard]] const PulseTone& Tone() const noexcept { return m_tone; }
    [[nodiscard]] const NoDataWatchdog& Watchdog() const noexcept { return m_watchdog; }
    // What the recorder keeps goes to the tap, when one is set; it learns the values at once.
    void SetTap(MeasurementTap* tap)
    {
        m_tap = tap;
        if (m_tap)
            m_tap->TakeUnitValues(m_reading.Unit, m_reading.NoData);
    }

    // The decoder's effects.
    void ShowMeasurement()
    {
        core::ShowMeasurement(m_measurement, m_languageBase, m_reading);
        if (m_tap)
            m_tap->TakeUnitValues(m_reading.Unit, m_reading.NoData);
    }
    void SoundPulseTone() { m_tone.SoundPulseTone(); }
    void DrawWaveSample(std::int16_t sample)
    {
        m_trace.DrawWaveSample(sample);
        if (m_tap) {
            const auto byte = static_cast<std::uint8_t>(sample);
            m_tap->TakeWaveSamples(std::span(&byte, 1));
        }
    }
    void DrawWaveSamples(std::span<const std::uint8_t> run)
    {
        m_trace.DrawWaveSamples(run);
        if (m_tap)
            m_tap->TakeWaveSamples(run);
    }
    void ShowPulseBar(std::int16_t sample) noexcept { core::ShowPulseBar(sample, m_reading); }

private:
    std::int16_t m_languageBase;
    MeasurementState m_measurement;
    Reading m_reading;
    WaveTrace m_trace;
    PulseTone m_tone;
    NoDataWatchdog m_watchdog;
    BasicDecoder<MeasurementPipeline> m_decoder;
    MeasurementTap* m_tap = nullptr;
};

}  // namespace trelvo::core
