#include "fuzz/report_harness.h"

#include "lang/string_table.h"
#include "recording/per_second_file.h"
#include "report/analysis/beats.h"
#include "report/analysis/figures.h"
#include "report/formats/export.h"
#include "report/words/summary_text.h"

#include <algorithm>
#include <string_view>

namespace trelvo::test {
namespace {

using namespace report;

std::string CheckNight(const Night& night)
{
    int previous = 0;
    for (const int line : night.brokenLines) {
        if (line <= previous || line > night.totalLines)
            return "a broken line's number is out of order or past the end";
        previous = line;
    }
    if (night.readings.size() + night.brokenLines.size() > static_cast<std::size_t>(night.totalLines))
        return "more readings and broken lines than lines";
    for (std::size_t i = 0; i < night.readings.size(); ++i) {
        const Entry& r = night.readings[i];
        if (i > 0 && r.seconds < night.readings[i - 1].seconds)
            return "readings out of time order";
        if (static_cast<std::size_t>(r.waveBegin) + r.waveCount > night.wave.size())
            return "a reading's wave lies outside the night's samples";
        if (r.spo2 && (*r.spo2 < 0 || *r.spo2 > 100))
            return "an SpO2 outside 0..100";
        if (r.pulse && (*r.pulse < 0 || *r.pulse > 254))
            return "a pulse outside 0..254";
        if ((r.kind == Entry::Kind::Valid) != r.spo2.has_value())
            return "a valid reading without SpO2, or SpO2 on one that is not";
    }
    return {};
}

std::string Run(Night night)
{
    if (std::string broken = CheckNight(night); !broken.empty())
        return broken;
    // The tool refuses a night of more than 7 days before it works anything out.
    if (!SpanProblem(night).empty())
        return night.readings.back().seconds - night.readings.front().seconds > kLongestNight
                   ? std::string()
                   : "a night refused that is not too long";
    const auto figures = Analyse(night);
    if (!figures)
        return night.readings.empty() ? std::string() : "readings but no figures";
    const Figures& f = *figures;
    // (A clock set back repeats times: analysed time may then exceed the span of the times.)
    const auto valid =
        std::count_if(night.readings.begin(), night.readings.end(), [](const Entry& r) { return r.spo2.has_value(); });
    if (std::abs(f.validSeconds - static_cast<double>(valid) * night.step) > 1e-6)
        return "analysed time is not the valid readings' time";
    double banded = 0;
    for (const double b : f.bandSeconds)
        banded += b;
    if (std::abs(banded - f.validSeconds) > 1e-6)
        return "the bands do not add up to the analysed time";
    if (f.atOrBelow88Seconds > f.below90Seconds + 1e-6)
        return "more time at or below 88 than below 90";
    for (const Event& e : f.events3) {
        if (e.end - e.start < kShortestDesaturation - 1e-9 || e.depth < kDesaturationPoints - 1e-9)
            return "a desaturation shorter than the rule or not deep enough";
        // Every second of an event has a valid reading: nothing missing, nothing without a value.
        const auto first = std::lower_bound(night.readings.begin(), night.readings.end(), e.start,
                                            [](const Entry& r, double t) { return r.seconds < t; });
        double expected = e.start;
        for (auto r = first; r != night.readings.end() && r->seconds < e.end; ++r) {
            // A second told twice: the later reading holds it, as everywhere in the report.
            if (std::next(r) != night.readings.end() && std::next(r)->seconds == r->seconds)
                continue;
            // (A reading up to half a step late still joins, as the time without data is counted.)
            if (!r->spo2 || r->seconds > expected + 0.5 * night.step + 1e-6)
                return "a desaturation spans a second without a reading";
            expected = std::max(expected, r->seconds + night.step);
        }
        if (expected < e.end - 1e-6)
            return "a desaturation runs past its readings";
    }
    // Every time printed is one the file gives: an event starts, and the lowest SpO2 is, at a
    // reading's second, told with that reading's offset.
    const auto given = [&night](double t) {
        const auto r = std::lower_bound(night.readings.begin(), night.readings.end(), t,
                                        [](const Entry& x, double s) { return x.seconds < s; });
        return r != night.readings.end() && r->seconds == t && OffsetAt(night, t) == r->utcOffset;
    };
    for (const Event& e : f.events3)
        if (!given(e.start))
            return "an event's start is no time the file gives";
    if (f.validSeconds > 0 && !given(f.spo2MinAt))
        return "the lowest SpO2's time is no time the file gives";
    if (f.events4.size() > f.events3.size())
        return "more ODI4 events than ODI3 events";
    for (const Event& e : f.events4)
        if (std::none_of(f.events3.begin(), f.events3.end(),
                         [&e](const Event& d) { return d.start == e.start && d.end == e.end; }) ||
            e.depth < kDeepDesaturationPoints - 1e-9)
            return "an ODI4 event that is no ODI3 event 4 points deep";
    int hourly = 0;
    for (const HourFigures& h : f.hours)
        hourly += h.events3;
    if (!f.hours.empty() && hourly != static_cast<int>(f.events3.size()))
        return "the hours do not hold every event";

    if (!night.date)
        night.date = CivilDate{2026, 12, 7};
    (void)SummaryText("fuzz", night, f, Speech(lang::kEnglish));
    (void)EventsCsv(night, f);
    (void)CsvText(night, *night.date);
    // The second-by-second exports of a night of days are the same code at a far slower pace.
    if (f.end - f.start > 36 * 3600.0)
        return {};
    for (const OscarFile& file : OscarFiles(night, *night.date))
        if (file.bytes.size() > 65535 || (file.bytes.size() - kOscarHeaderBytes) % kOscarRecordBytes != 0)
            return "an OSCAR file that its size field cannot hold, or a cut record";
    const std::vector<Beat> beats = DetectBeats(night);
    for (std::size_t i = 1; i < beats.size(); ++i)
        if (beats[i].time < beats[i - 1].time)
            return "beats out of time order";
    (void)Agreement(night, beats);
    if (const auto rate = PlethRate(night)) {
        if (*rate < 1 || *rate > 1000)
            return "a Pleth rate out of range";
        for (const Entry& r : night.readings) {
            const std::vector<double> wave = Resampled(night.WaveOf(r), *rate);
            if (std::any_of(wave.begin(), wave.end(), [](double v) { return v < 0 || v > 247; }))
                return "a resampled wave value outside 0..247";
        }
    }
    return {};
}

}  // namespace

std::string RunRecordFileCase(const std::uint8_t* data, std::size_t size)
{
    return Run(ParseNight({reinterpret_cast<const char*>(data), size}));
}

std::string RunPerSecondCase(const std::uint8_t* data, std::size_t size)
{
    // The header row is given, so the fuzzer spends its time on the rows.
    std::string text(recording::kPerSecondHeader);
    text += "\r\n";
    text.append(reinterpret_cast<const char*>(data), size);
    Night night = ParsePerSecondFile(text);
    // A listing reads the rows without keeping the wave: the same rows must read.
    const Night listed = ParsePerSecondFile(text, false);
    if (listed.brokenLines != night.brokenLines || listed.readings.size() != night.readings.size())
        return "the rows read without their wave are not those read with it";
    for (std::size_t i = 0; i < listed.readings.size(); ++i)
        if (listed.readings[i].seconds != night.readings[i].seconds ||
            listed.readings[i].spo2 != night.readings[i].spo2)
            return "a row read without its wave says another second or value";
    return Run(std::move(night));
}

}  // namespace trelvo::test
