#include "tools/report/export.h"

#include "recording/companion.h"

#include <edflib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace trelvo::report {

std::vector<Second> Seconds(const Night& night)
{
    std::vector<Second> seconds;
    const auto& rs = night.readings;
    if (rs.empty() || rs.back().seconds - rs.front().seconds > kLongestNight)
        return seconds;
    const double start = rs.front().seconds;
    const auto index = [start](double s) { return static_cast<std::size_t>(std::lround(s - start)); };
    seconds.resize(index(rs.back().seconds + night.step));
    for (std::size_t i = 0; i < rs.size(); ++i) {
        const Reading& r = rs[i];
        std::size_t end = index(r.seconds + night.step);
        if (i + 1 < rs.size())
            end = std::min(end, index(rs[i + 1].seconds));
        for (std::size_t s = index(r.seconds); s < end && s < seconds.size(); ++s)
            seconds[s] = {r.spo2, r.pulse, r.kind, {}};
        if (const std::size_t s = index(r.seconds); s < seconds.size())
            seconds[s].wave = night.WaveOf(r);
    }
    return seconds;
}

LocalMoment MomentOf(CivilDate firstDate, double seconds)
{
    const auto whole = static_cast<std::int64_t>(std::floor(seconds));
    const std::int64_t day = (whole >= 0 ? whole : whole - 86399) / 86400;
    const auto clock = static_cast<int>(whole - day * 86400);
    return {CivilFromDays(DaysFromCivil(firstDate) + day), clock / 3600, clock / 60 % 60, clock % 60};
}

namespace {

// The moment a local date and time was, in this computer's time zone.
std::int64_t LocalEpoch(const LocalMoment& m)
{
    std::tm t{};
    t.tm_year = m.date.year - 1900;
    t.tm_mon = m.date.month - 1;
    t.tm_mday = m.date.day;
    t.tm_hour = m.hour;
    t.tm_min = m.minute;
    t.tm_sec = m.second;
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

recording::SecondValues ValuesOf(const Reading& r)
{
    switch (r.kind) {
    case Reading::Kind::Valid:
        return {{static_cast<std::uint8_t>(*r.spo2), static_cast<std::uint8_t>(r.pulse.value_or(255)), 0, true}, false};
    case Reading::Kind::ProbeOff: return {{255, 255, 1, true}, false};
    case Reading::Kind::NoSignal: return {{255, 255, 2, true}, false};
    case Reading::Kind::NoData: break;
    }
    return {{}, true};
}

const char* GapText(Reading::Kind kind)
{
    switch (kind) {
    case Reading::Kind::NoData: return "No data";
    case Reading::Kind::ProbeOff: return "Probe off";
    case Reading::Kind::NoSignal: return "No finger";
    case Reading::Kind::Valid: break;
    }
    return "";
}

constexpr long long kEdfTicksPerSecond = 10000;  // edflib's annotation times: 100 µs
constexpr int kHighestPlethRate = 1000;
constexpr double kPlethMaximum = 247;

// A wave value 0..247 on the full 16-bit range: resampled values keep their fractions.
short PlethDigital(double value)
{
    return static_cast<short>(std::lround(-32768.0 + std::clamp(value, 0.0, kPlethMaximum) * 65535.0 / kPlethMaximum));
}

}  // namespace

std::optional<int> PlethRate(const Night& night)
{
    std::size_t samples = 0, seconds = 0;
    for (const Reading& r : night.readings)
        if (r.waveCount > 0) {
            samples += r.waveCount;
            ++seconds;
        }
    if (!night.hasWave || seconds == 0)
        return std::nullopt;
    return std::clamp(static_cast<int>(std::lround(static_cast<double>(samples) / static_cast<double>(seconds))), 1,
                      kHighestPlethRate);
}

std::vector<double> Resampled(std::span<const std::uint8_t> samples, int rate)
{
    std::vector<double> out(static_cast<std::size_t>(rate));
    const std::size_t n = samples.size();
    if (n == 0)
        return out;
    for (std::size_t j = 0; j < out.size(); ++j) {
        const double x = static_cast<double>(j) * static_cast<double>(n) / rate;
        const auto i = std::min(static_cast<std::size_t>(x), n - 1);
        const double f = x - static_cast<double>(i);
        out[j] = i + 1 < n ? samples[i] * (1 - f) + samples[i + 1] * f : samples[i];
    }
    return out;
}

std::string CsvText(const Night& night, CivilDate firstDate)
{
    std::string text(recording::kCompanionHeader);
    text += "\r\n";
    text.reserve(text.size() + night.readings.size() * 40);
    for (const Reading& r : night.readings)
        text += recording::CompanionRow(LocalEpoch(MomentOf(firstDate, r.seconds)), ValuesOf(r));
    return text;
}

std::string WriteEdf(const std::string& path, const Night& night, const Figures& figures, CivilDate firstDate)
{
    const std::vector<Second> seconds = Seconds(night);
    if (seconds.empty())
        return "the night holds no reading, or spans more than 7 days";

    struct Annotation {
        std::size_t onset, duration;
        std::string text;
    };
    std::vector<Annotation> annotations;
    for (std::size_t s = 0; s < seconds.size();) {
        std::size_t end = s + 1;
        while (end < seconds.size() && seconds[end].kind == seconds[s].kind)
            ++end;
        if (seconds[s].kind != Reading::Kind::Valid)
            annotations.push_back({s, end - s, GapText(seconds[s].kind)});
        s = end;
    }
    const std::optional<int> plethRate = PlethRate(night);
    if (plethRate)
        for (std::size_t s = 0; s < seconds.size();) {
            std::size_t end = s;
            while (end < seconds.size() && seconds[end].wave.empty() && seconds[end].kind != Reading::Kind::NoData)
                ++end;
            if (end > s)
                annotations.push_back({s, end - s, "No wave"});
            s = end + 1;
        }
    const double start = night.readings.front().seconds;
    for (const Event& e : figures.events3)
        annotations.push_back({static_cast<std::size_t>(std::lround(e.start - start)),
                               static_cast<std::size_t>(std::lround(e.end - e.start)),
                               "Desaturation, " + std::to_string(e.depth) + " points"});

    const int handle = edfopen_file_writeonly(path.c_str(), EDFLIB_FILETYPE_EDFPLUS, plethRate ? 3 : 2);
    if (handle < 0)
        return handle == EDFLIB_NO_SUCH_FILE_OR_DIRECTORY ? "cannot create the file" : "edflib cannot open it for writing";
    struct Signal {
        const char* label;
        const char* dimension;
        int maximum;
    };
    const Signal signals[] = {{"SpO2", "%", 100}, {"Pulse", "bpm", 255}};
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        ok = ok && edf_set_samplefrequency(handle, i, 1) == 0 && edf_set_label(handle, i, signals[i].label) == 0 &&
             edf_set_physical_dimension(handle, i, signals[i].dimension) == 0 &&
             edf_set_physical_minimum(handle, i, 0) == 0 && edf_set_physical_maximum(handle, i, signals[i].maximum) == 0 &&
             edf_set_digital_minimum(handle, i, 0) == 0 && edf_set_digital_maximum(handle, i, signals[i].maximum) == 0 &&
             edf_set_transducer(handle, i, "finger pulse oximeter") == 0;
    }
    if (plethRate)
        ok = ok && edf_set_samplefrequency(handle, 2, *plethRate) == 0 && edf_set_label(handle, 2, "Pleth") == 0 &&
             edf_set_physical_dimension(handle, 2, "") == 0 && edf_set_physical_minimum(handle, 2, 0) == 0 &&
             edf_set_physical_maximum(handle, 2, kPlethMaximum) == 0 && edf_set_digital_minimum(handle, 2, -32768) == 0 &&
             edf_set_digital_maximum(handle, 2, 32767) == 0 &&
             edf_set_transducer(handle, 2, "finger pulse oximeter") == 0;
    const LocalMoment begin = MomentOf(firstDate, start);
    ok = ok &&
         edf_set_startdatetime(handle, begin.date.year, begin.date.month, begin.date.day, begin.hour, begin.minute,
                               begin.second) == 0 &&
         edf_set_equipment(handle, "trelvo") == 0 &&
         // Room for every annotation: one per data record and annotation signal.
         edf_set_number_of_annotation_signals(
             handle, static_cast<int>(std::min<std::size_t>(64, annotations.size() / seconds.size() + 1))) == 0;
    std::vector<short> record(2 + static_cast<std::size_t>(plethRate.value_or(0)));
    for (std::size_t s = 0; ok && s < seconds.size(); ++s) {
        record[0] = static_cast<short>(seconds[s].spo2.value_or(0));
        record[1] = static_cast<short>(seconds[s].kind == Reading::Kind::Valid ? seconds[s].pulse.value_or(0) : 0);
        if (plethRate) {
            if (seconds[s].wave.empty()) {
                std::fill(record.begin() + 2, record.end(), static_cast<short>(-32768));
            } else {
                const std::vector<double> wave = Resampled(seconds[s].wave, *plethRate);
                std::transform(wave.begin(), wave.end(), record.begin() + 2, PlethDigital);
            }
        }
        ok = edf_blockwrite_digital_short_samples(handle, record.data()) == 0;
    }
    for (const Annotation& a : annotations)
        ok = ok && edfwrite_annotation_utf8(handle, static_cast<long long>(a.onset) * kEdfTicksPerSecond,
                                            static_cast<long long>(a.duration) * kEdfTicksPerSecond, a.text.c_str()) == 0;
    const bool closed = edfclose_file(handle) == 0;
    if (!ok || !closed) {
        std::remove(path.c_str());  // a half-written file would only mislead
        return "writing failed (disk full or not writable)";
    }
    return {};
}

std::vector<OscarFile> OscarFiles(const Night& night, CivilDate firstDate)
{
    std::vector<OscarFile> files;
    const std::vector<Second> seconds = Seconds(night);
    if (seconds.empty())
        return files;
    const std::size_t records = (seconds.size() + kOscarStepSeconds - 1) / kOscarStepSeconds;
    const double start = night.readings.front().seconds;
    for (std::size_t first = 0; first < records; first += kOscarRecordsPerFile) {
        const std::size_t count = std::min<std::size_t>(kOscarRecordsPerFile, records - first);
        const LocalMoment m = MomentOf(firstDate, start + static_cast<double>(first * kOscarStepSeconds));
        OscarFile file;
        char name[32];
        std::snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d", m.date.year, m.date.month, m.date.day, m.hour,
                      m.minute, m.second);
        file.name = name;
        auto& b = file.bytes;
        b.assign(kOscarHeaderBytes, 0);
        const auto put16 = [&b](std::size_t at, std::size_t value) {
            b[at] = static_cast<std::uint8_t>(value & 0xFF);
            b[at + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
        };
        put16(0, 5);
        put16(2, static_cast<std::size_t>(m.date.year));
        b[4] = static_cast<std::uint8_t>(m.date.month);
        b[5] = static_cast<std::uint8_t>(m.date.day);
        b[6] = static_cast<std::uint8_t>(m.hour);
        b[7] = static_cast<std::uint8_t>(m.minute);
        b[8] = static_cast<std::uint8_t>(m.second);
        put16(9, kOscarHeaderBytes + count * kOscarRecordBytes);
        put16(13, count * kOscarStepSeconds);
        for (std::size_t r = first; r < first + count; ++r) {
            int spo2 = 0, pulse = 0, n = 0;
            for (std::size_t s = r * kOscarStepSeconds; s < (r + 1) * kOscarStepSeconds && s < seconds.size(); ++s)
                if (seconds[s].kind == Reading::Kind::Valid && seconds[s].pulse) {
                    spo2 += *seconds[s].spo2;
                    pulse += *seconds[s].pulse;
                    ++n;
                }
            if (n == 0) {
                b.insert(b.end(), {0xFF, 0xFF, 0xFF, 0, 0});
                continue;
            }
            // Rounded half up: integer arithmetic, no floating point.
            b.insert(b.end(), {static_cast<std::uint8_t>((2 * spo2 + n) / (2 * n)),
                               static_cast<std::uint8_t>((2 * pulse + n) / (2 * n)), 0, 0, 0});
        }
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace trelvo::report
