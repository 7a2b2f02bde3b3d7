#include "stream_harness.h"

#include "core/pipeline.h"
#include "lang/string_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <set>
#include <string_view>

namespace trelvo::test {
namespace {

bool IsNumberUpTo(std::string_view s, int highest)
{
    int value = -1;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size() && value >= 0 && value <= highest &&
           (s.size() == 1 || s.front() != '0');
}

// Every text a value field may show.
std::string CheckReading(const core::Reading& r)
{
    static const std::set<std::string_view> kStatus = [] {
        std::set<std::string_view> s{"", "OK!"};
        for (const int base : {lang::kGerman, lang::kEnglish})
            for (const int n : {lang::text::kNoProbe, lang::text::kNoSignal, lang::text::kNoSerialData})
                s.insert(lang::Text(base + n));
        return s;
    }();
    if (!(r.SpO2Text.empty() || r.SpO2Text == "--" || IsNumberUpTo(r.SpO2Text, 99)))
        return "the SpO2 field shows an undefined text: " + r.SpO2Text;
    if (!(r.PulseText.empty() || r.PulseText == "---" || IsNumberUpTo(r.PulseText, 254)))
        return "the pulse field shows an undefined text: " + r.PulseText;
    if (!kStatus.contains(r.StatusText))
        return "the status field shows an undefined text: " + r.StatusText;
    if (r.Bar < 0 || r.Bar > core::kPulseBarMaximum)
        return "bar value out of range: " + std::to_string(r.Bar);
    return {};
}

class CheckingSurface final : public core::DrawingSurface {
public:
    void SetDrawWidth(int) override {}
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

// The window's part, without a window: the pipeline, and a surface its trace is drawn on.
struct Window {
    std::int16_t language = lang::kEnglish;
    SilentTone output;
    CheckingSurface surface;
    core::MeasurementPipeline pipeline{language, output};
};

std::string Check(Window& w)
{
    core::WaveTrace& trace = w.pipeline.Trace();
    if (trace.PendingSteps().size() > static_cast<std::size_t>(trace.Width()) + 200)
        return "undrawn trace steps pile up: " + std::to_string(trace.PendingSteps().size());
    core::DrawTraceSteps(trace.PendingSteps(), w.surface);
    trace.ClearPendingSteps();
    for (const std::string* b : {&w.surface.broken, &w.output.broken})
        if (!b->empty())
            return *b;
    if (std::string broken = CheckReading(w.pipeline.CurrentReading()); !broken.empty())
        return broken;
    const core::DecoderState& d = w.pipeline.Decoder();
    if (d.SpO2Pending + d.PulsePending + d.StatusPending + d.ExtraPending > 1)
        return "more than one value pending";
    if (d.BarCounter > core::kBarCounterLimit)
        return "BarCounter above 250";
    if (w.pipeline.Measurement().NoDataTicks > core::NoDataWatchdog::kTickLimit)
        return "NoDataTicks above 250";
    const int blink = w.pipeline.Watchdog().BlinkCounter();
    if (blink < 0 || blink > core::NoDataWatchdog::kBlinkCycle)
        return "blink phase outside 0..150";
    if (trace.State().TraceX < 0)
        return "trace x below zero";
    return {};
}

}  // namespace

std::string RunStreamCase(const std::uint8_t* data, std::size_t size)
{
    Window window;
    core::MeasurementPipeline& pipeline = window.pipeline;
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t op = data[at++];
        if (op < 0xC0) {
            const std::size_t n = std::min<std::size_t>((op & 0x3F) + 1, size - at);
            pipeline.Decode(std::span(data + at, n), 0);
            at += n;
        } else if (op < 0xE0) {
            for (int i = 0; i <= (op & 0x1F); ++i)
                pipeline.WatchdogTick();
        } else if (op < 0xF0) {
            pipeline.Tone().Toggle();
        } else if (op < 0xF8) {
            window.language = window.language == lang::kEnglish ? lang::kGerman : lang::kEnglish;
            pipeline.SetLanguage(window.language);
        } else if (at < size) {
            window.surface.width = 1.0F + data[at++];
            pipeline.Trace().SetWidth(window.surface.width);
        }
        if (std::string broken = Check(window); !broken.empty())
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
