#include "stream_harness.h"

#include "core/decoder.h"
#include "core/display.h"
#include "core/tone.h"
#include "core/trace.h"
#include "core/watchdog.h"
#include "lang/string_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <set>
#include <string_view>

namespace trelvo::test {
namespace {

// Every text a value field may show.
bool IsNumberUpTo(std::string_view s, int highest)
{
    int value = -1;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size() && value >= 0 && value <= highest &&
           (s.size() == 1 || s.front() != '0');
}

class CheckingFields final : public core::ValueFields {
public:
    void SetCaption(core::Field field, std::string_view text) override
    {
        bool defined = false;
        switch (field) {
        case core::Field::SpO2: defined = text.empty() || text == "--" || IsNumberUpTo(text, 99); break;
        case core::Field::Pulse: defined = text.empty() || text == "---" || IsNumberUpTo(text, 254); break;
        case core::Field::Status: {
            static const std::set<std::string_view> kStatus = [] {
                std::set<std::string_view> s{"", "OK!"};
                for (const int base : {lang::kGerman, lang::kEnglish})
                    for (const int n : {lang::text::kNoProbe, lang::text::kNoSignal, lang::text::kNoSerialData})
                        s.insert(lang::Text(base + n));
                return s;
            }();
            defined = kStatus.contains(text);
            break;
        }
        }
        if (!defined && broken.empty())
            broken = "a field shows an undefined text: " + std::string(text);
    }
    void SetToolTip(core::Field, std::string_view) override {}
    void SetPulseBar(double value) override
    {
        if ((value < 0.0 || value > core::kPulseBarMaximum) && broken.empty())
            broken = "bar value out of range: " + std::to_string(value);
    }
    void SetBackColor(core::Field field, core::Colour) override
    {
        if (field == core::Field::Status && broken.empty())
            broken = "the status field's background was changed";
    }
    std::string broken;
};

class CheckingSurface final : public core::DrawingSurface {
public:
    void SetDrawWidth(int) override {}
    [[nodiscard]] float ScaleWidth() const override { return width; }
    [[nodiscard]] float ScaleHeight() const override { return 151.0F; }
    void SetForeColor(core::Colour) override {}
    void Line(float x1, float y1, float x2, float y2) override
    {
        for (const float x : {x1, x2})
            if ((x < 0.0F || x > width + 2.0F) && broken.empty())
                broken = "trace x outside the surface: " + std::to_string(x) + " of " + std::to_string(width);
        for (const float y : {y1, y2})
            if ((y < 0.0F || y > 151.0F) && broken.empty())
                broken = "trace y outside the surface: " + std::to_string(y);
    }
    float width = 447.0F;
    std::string broken;
};

class SilentTone final : public core::ToneOutput {
public:
    void Beep(std::int32_t frequency, std::int32_t milliseconds) override
    {
        if ((std::find(core::ToneTable.begin(), core::ToneTable.end(), frequency) == core::ToneTable.end() ||
             milliseconds != core::kPulseToneMilliseconds) &&
            broken.empty())
            broken = "a tone outside the table: " + std::to_string(frequency);
    }
    std::string broken;
};

// The main window's part in the decoding, without a window.
class Window final : public core::MeasurementSink {
public:
    Window() : trace(measurement, surface), tone(measurement, output), watchdog(measurement, language, fields) {}

    void ShowMeasurement() override { core::ShowMeasurement(measurement, language, fields); }
    void SoundPulseTone() override { tone.SoundPulseTone(); }
    void DrawWaveSample(std::int16_t sample) override
    {
        if ((sample < 0 || sample > 247) && broken.empty())
            broken = "a wave sample outside 0..247: " + std::to_string(sample);
        trace.DrawWaveSample(sample);
    }
    void ShowPulseBar(std::int16_t sample) override { core::ShowPulseBar(sample, fields); }

    core::MeasurementState measurement;
    std::int16_t language = lang::kEnglish;
    CheckingFields fields;
    CheckingSurface surface;
    SilentTone output;
    core::WaveTrace trace;
    core::PulseTone tone;
    core::NoDataWatchdog watchdog;
    std::string broken;
};

std::string Check(const Window& w, const core::DecoderState& d)
{
    for (const std::string* b : {&w.broken, &w.fields.broken, &w.surface.broken, &w.output.broken})
        if (!b->empty())
            return *b;
    if (d.SpO2Pending + d.PulsePending + d.StatusPending + d.ExtraPending > 1)
        return "more than one value pending";
    if (d.BarCounter > core::kBarCounterLimit)
        return "BarCounter above 250";
    if (w.measurement.NoDataTicks > core::NoDataWatchdog::kTickLimit)
        return "NoDataTicks above 250";
    if (w.watchdog.BlinkCounter() < 0 || w.watchdog.BlinkCounter() > core::NoDataWatchdog::kBlinkCycle)
        return "blink phase outside 0..150";
    if (w.trace.State().TraceX < 0)
        return "trace x below zero";
    return {};
}

}  // namespace

std::string RunStreamCase(const std::uint8_t* data, std::size_t size)
{
    Window window;
    core::BasicDecoder<Window> decoder(window.measurement, window);
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t op = data[at++];
        if (op < 0xC0) {
            const std::size_t n = std::min<std::size_t>((op & 0x3F) + 1, size - at);
            std::vector<std::uint8_t> chunk(data + at, data + at + n);
            at += n;
            decoder.DecodeSerialData(chunk);
            if (!chunk.empty())
                return "the buffer was not emptied";
        } else if (op < 0xE0) {
            for (int i = 0; i <= (op & 0x1F); ++i)
                window.watchdog.Timer3_Timer();
        } else if (op < 0xF0) {
            window.tone.setBeep_Click();
        } else if (op < 0xF8) {
            window.language = window.language == lang::kEnglish ? lang::kGerman : lang::kEnglish;
        } else if (at < size) {
            window.surface.width = 1.0F + data[at++];
        }
        if (std::string broken = Check(window, decoder.State()); !broken.empty())
            return broken;
    }
    return {};
}

std::string StreamAsSteps(const std::string& stream, std::size_t chunk)
{
    chunk = std::clamp<std::size_t>(chunk, 1, 64);
    std::string steps;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        const std::size_t n = std::min(chunk, stream.size() - at);
        steps.push_back(static_cast<char>(n - 1));
        steps.append(stream, at, n);
        steps.push_back(static_cast<char>(0xC0));
    }
    return steps;
}

}  // namespace trelvo::test
