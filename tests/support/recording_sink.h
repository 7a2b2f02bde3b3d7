#pragma once

#include "core/decoder.h"
#include "core/measurement.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trelvo::test {

// One effect the decoder triggered, with the measurement as the effect saw it.
struct Effect {
    enum Kind { ShowMeasurement, SoundPulseTone, DrawWaveSample, ShowPulseBar };
    Kind kind;
    std::int16_t sample = -1;
    core::MeasurementState seen{};

    friend bool operator==(const Effect& a, const Effect& b)
    {
        return a.kind == b.kind && a.sample == b.sample && a.seen.SpO2Value == b.seen.SpO2Value &&
               a.seen.PulseValue == b.seen.PulseValue && a.seen.ProbeStatus == b.seen.ProbeStatus &&
               a.seen.NoDataTicks == b.seen.NoDataTicks;
    }
};

// A sink that notes every effect the decoder triggers, in order.
class RecordingSink final {
public:
    explicit RecordingSink(const core::MeasurementState& state) : m_state(state) {}

    void ShowMeasurement() { effects.push_back({Effect::ShowMeasurement, -1, m_state}); }
    void SoundPulseTone() { effects.push_back({Effect::SoundPulseTone, -1, m_state}); }
    void DrawWaveSample(std::int16_t s) { effects.push_back({Effect::DrawWaveSample, s, m_state}); }
    void ShowPulseBar(std::int16_t s) { effects.push_back({Effect::ShowPulseBar, s, m_state}); }

    [[nodiscard]] std::vector<std::int16_t> Samples(Effect::Kind kind) const
    {
        std::vector<std::int16_t> out;
        for (const Effect& e : effects)
            if (e.kind == kind)
                out.push_back(e.sample);
        return out;
    }
    [[nodiscard]] std::size_t Count(Effect::Kind kind) const
    {
        std::size_t n = 0;
        for (const Effect& e : effects)
            n += e.kind == kind ? 1 : 0;
        return n;
    }

    std::vector<Effect> effects;

private:
    const core::MeasurementState& m_state;
};

using RecordingDecoder = core::BasicDecoder<RecordingSink>;

}  // namespace trelvo::test
