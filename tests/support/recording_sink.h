#pragma once

#include "core/decoder.h"
#include "core/display.h"
#include "core/measurement.h"

#include <array>
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

class RecordingSink final : public core::MeasurementSink {
public:
    explicit RecordingSink(const core::MeasurementState& state) : m_state(state) {}

    void ShowMeasurement() override { effects.push_back({Effect::ShowMeasurement, -1, m_state}); }
    void SoundPulseTone() override { effects.push_back({Effect::SoundPulseTone, -1, m_state}); }
    void DrawWaveSample(std::int16_t s) override { effects.push_back({Effect::DrawWaveSample, s, m_state}); }
    void ShowPulseBar(std::int16_t s) override { effects.push_back({Effect::ShowPulseBar, s, m_state}); }

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

// The value fields as plain strings, for checking what the display rules wrote.
class FakeFields final : public core::ValueFields {
public:
    void SetCaption(core::Field f, std::string_view utf8) override { caption[Index(f)] = utf8; }
    void SetToolTip(core::Field f, std::string_view utf8) override { toolTip[Index(f)] = utf8; }
    void SetPulseBar(double value) override
    {
        bar = value;
        ++barWrites;
    }
    void SetBackColor(core::Field f, core::Colour colour) override
    {
        backColor[Index(f)] = colour;
        backColorWrites.push_back(f);
    }

    [[nodiscard]] const std::string& Caption(core::Field f) const { return caption[Index(f)]; }
    [[nodiscard]] const std::string& ToolTip(core::Field f) const { return toolTip[Index(f)]; }

    std::array<std::string, 3> caption{};
    std::array<std::string, 3> toolTip{};
    double bar = -1.0;
    int barWrites = 0;
    std::array<core::Colour, 3> backColor{core::SystemColour::WindowBackground, core::SystemColour::WindowBackground,
                                          core::SystemColour::WindowBackground};
    std::vector<core::Field> backColorWrites;

private:
    static std::size_t Index(core::Field f) { return static_cast<std::size_t>(f); }
};

}  // namespace trelvo::test
