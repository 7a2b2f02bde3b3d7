#include "report/formats/export.h"

#include "recording/per_second_file.h"

#include <edflib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace trelvo::report {

SecondWalk::SecondWalk(const Night& night) : m_night(night)
{
    const auto& rs = night.readings;
    if (!rs.empty() && rs.back().seconds - rs.front().seconds <= kLongestNight)
        m_count = Index(rs.back().seconds + night.step);
}

std::size_t SecondWalk::Index(double seconds) const
{
    return static_cast<std::size_t>(std::lround(seconds - m_night.readings.front().seconds));
}

Second SecondWalk::At(std::size_t s)
{
    const auto& rs = m_night.readings;
    // The last reading that starts at or before this second says what it holds.
    while (m_next + 1 < rs.size() && Index(rs[m_next + 1].seconds) <= s)
        ++m_next;
    const Entry& r = rs[m_next];
    Second second;
    if (s < Index(r.seconds + m_night.step))
        second = {r.spo2, r.pulse, r.kind, {}};
    if (s == Index(r.seconds))
        second.wave = m_night.WaveOf(r);
    return second;
}

std::vector<Second> Seconds(const Night& night)
{
    SecondWalk walk(night);
    std::vector<Second> seconds(walk.Count());
    for (std::size_t s = 0; s < seconds.size(); ++s)
        seconds[s] = walk.At(s);
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

recording::SecondValues ValuesOf(const Entry& r)
{
    switch (r.kind) {
    case Entry::Kind::Valid:
        return {{static_cast<std::uint8_t>(*r.spo2), static_cast<std::uint8_t>(r.pulse.value_or(255)), 0, true}, false};
    case Entry::Kind::ProbeOff: return {{255, 255, 1, true}, false};
    case Entry::Kind::NoSignal: return {{255, 255, 2, true}, false};
    case Entry::Kind::NoData:
    case Entry::Kind::Marked: break;
    }
    return {{}, true};
}

const char* GapText(Entry::Kind kind)
{
    switch (kind) {
    case Entry::Kind::NoData: return "No data";
    case Entry::Kind::ProbeOff: return "Probe off";
    case Entry::Kind::NoSignal: return "No finger";
    case Entry::Kind::Valid:
    case Entry::Kind::Marked: break;
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

// "Desaturation, 4.9 points": the depth with one decimal, as the summary gives it.
std::string DepthText(double depth)
{
    char text[48];
    std::snprintf(text, sizeof text, "Desaturation, %.1f points", depth);
    return text;
}

// The file is as long as its header says and holds `records` data records.
bool EdfComplete(const std::string& path, std::size_t records)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    const auto field = [file](long at, int width) -> long {
        char text[16] = {};
        if (std::fseek(file, at, SEEK_SET) != 0 ||
            std::fread(text, 1, static_cast<std::size_t>(width), file) != static_cast<std::size_t>(width))
            return -1;
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        return end == text ? -1 : value;
    };
    const long headerBytes = field(184, 8), dataRecords = field(236, 8), signalCount = field(252, 4);
    long recordBytes = 0;
    for (long i = 0; signalCount > 0 && i < signalCount && recordBytes >= 0; ++i) {
        const long samples = field(256 + signalCount * 216 + i * 8, 8);
        recordBytes = samples < 0 ? -1 : recordBytes + 2 * samples;
    }
    const bool seeked = std::fseek(file, 0, SEEK_END) == 0;
    const long size = seeked ? std::ftell(file) : -1;
    std::fclose(file);
    return headerBytes > 0 && recordBytes > 0 && dataRecords == static_cast<long>(records) &&
           size == headerBytes + dataRecords * recordBytes;
}

}  // namespace

std::optional<Problem> GridProblem(const Night& night)
{
    if (night.readings.empty())
        return std::nullopt;
    const double span = night.readings.back().seconds + night.step - night.readings.front().seconds;
    const double covered = static_cast<double>(night.readings.size()) * night.step;
    if (covered * kShortestCoveredShare >= span)
        return std::nullopt;
    return Problem{Problem::Code::Gaps, {DurationText(covered), DurationText(span)}};
}

std::optional<int> EdfPlethRate(const Night& night)
{
    const std::optional<int> rate = PlethRate(night);
    if (!rate || night.readings.empty())
        return rate;
    std::size_t waveSeconds = 0;
    for (const Entry& r : night.readings)
        waveSeconds += r.waveCount > 0 ? 1 : 0;
    const double span = night.readings.back().seconds + night.step - night.readings.front().seconds;
    if (static_cast<double>(waveSeconds) * kShortestWaveShare < span)
        return std::nullopt;
    return rate;
}

std::optional<int> PlethRate(const Night& night)
{
    std::size_t samples = 0, seconds = 0;
    for (const Entry& r : night.readings)
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
    std::string text(recording::kPerSecondHeader);
    text += "\r\n";
    text.reserve(text.size() + night.readings.size() * 40);
    for (const Entry& r : night.readings)
        text += recording::PerSecondRow(LocalEpoch(MomentOf(firstDate, r.seconds)), ValuesOf(r));
    return text;
}

namespace {

struct EdfAnnotation {
    std::size_t onset, duration;
    std::string text;
};

// Runs of seconds without a valid reading, then (with the wave) runs without wave outside the time
// without data, each ending where the next begins; then the desaturations.
std::vector<EdfAnnotation> EdfAnnotations(const Night& night, const Figures& figures, std::size_t count,
                                          const std::optional<int>& plethRate)
{
    std::vector<EdfAnnotation> annotations, waveGaps;
    SecondWalk runs(night);
    std::size_t gapStart = 0, waveGapStart = 0;
    Entry::Kind gapKind = Entry::Kind::Valid;
    bool inWaveGap = false;
    for (std::size_t s = 0; s <= count; ++s) {
        const Second second = s < count ? runs.At(s) : Second{};
        const Entry::Kind kind = s < count ? second.kind : Entry::Kind::Valid;
        if (s == count || kind != gapKind) {
            if (gapKind != Entry::Kind::Valid && s > 0)
                annotations.push_back({gapStart, s - gapStart, GapText(gapKind)});
            gapKind = kind;
            gapStart = s;
        }
        const bool waveGap = s < count && plethRate && second.wave.empty() && kind != Entry::Kind::NoData;
        if (waveGap && !inWaveGap)
            waveGapStart = s;
        if (!waveGap && inWaveGap)
            waveGaps.push_back({waveGapStart, s - waveGapStart, "No wave"});
        inWaveGap = waveGap;
    }
    annotations.insert(annotations.end(), waveGaps.begin(), waveGaps.end());
    const double start = night.readings.front().seconds;
    for (const Event& e : figures.events3)
        annotations.push_back({static_cast<std::size_t>(std::lround(e.start - start)),
                               static_cast<std::size_t>(std::lround(e.end - e.start)), DepthText(e.depth)});
    return annotations;
}

// The signals (SpO2, pulse, and Pleth with the wave), the start and room for the annotations.
bool SetEdfHeader(int handle, const std::optional<int>& plethRate, const LocalMoment& begin, int annotationSignals)
{
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
             edf_set_physical_minimum(handle, i, 0) == 0 &&
             edf_set_physical_maximum(handle, i, signals[i].maximum) == 0 &&
             edf_set_digital_minimum(handle, i, 0) == 0 &&
             edf_set_digital_maximum(handle, i, signals[i].maximum) == 0 &&
             edf_set_transducer(handle, i, "finger pulse oximeter") == 0;
    }
    if (plethRate)
        ok = ok && edf_set_samplefrequency(handle, 2, *plethRate) == 0 && edf_set_label(handle, 2, "Pleth") == 0 &&
             edf_set_physical_dimension(handle, 2, "") == 0 && edf_set_physical_minimum(handle, 2, 0) == 0 &&
             edf_set_physical_maximum(handle, 2, kPlethMaximum) == 0 &&
             edf_set_digital_minimum(handle, 2, -32768) == 0 && edf_set_digital_maximum(handle, 2, 32767) == 0 &&
             edf_set_transducer(handle, 2, "finger pulse oximeter") == 0;
    return ok &&
           edf_set_startdatetime(handle, begin.date.year, begin.date.month, begin.date.day, begin.hour, begin.minute,
                                 begin.second) == 0 &&
           edf_set_equipment(handle, "trelvo") == 0 &&
           edf_set_number_of_annotation_signals(handle, annotationSignals) == 0;
}

// One data record a second: SpO2, pulse, and the second's wave resampled to the Pleth rate.
bool WriteEdfRecords(int handle, const Night& night, std::size_t count, const std::optional<int>& plethRate)
{
    SecondWalk walk(night);
    std::vector<short> record(2 + static_cast<std::size_t>(plethRate.value_or(0)));
    for (std::size_t s = 0; s < count; ++s) {
        const Second second = walk.At(s);
        record[0] = static_cast<short>(second.spo2.value_or(0));
        record[1] = static_cast<short>(second.kind == Entry::Kind::Valid ? second.pulse.value_or(0) : 0);
        if (plethRate) {
            if (second.wave.empty()) {
                std::fill(record.begin() + 2, record.end(), static_cast<short>(-32768));
            } else {
                const std::vector<double> wave = Resampled(second.wave, *plethRate);
                std::transform(wave.begin(), wave.end(), record.begin() + 2, PlethDigital);
            }
        }
        if (edf_blockwrite_digital_short_samples(handle, record.data()) != 0)
            return false;
    }
    return true;
}

}  // namespace

std::optional<Problem> WriteEdf(const std::string& path, const Night& night, const Figures& figures,
                                CivilDate firstDate)
{
    const std::size_t count = SecondWalk(night).Count();
    if (count == 0)
        return Problem{Problem::Code::EdfEmpty, {}};
    if (const LocalMoment first = MomentOf(firstDate, night.readings.front().seconds);
        first.date.year < 1985 || first.date.year > 2084)
        return Problem{Problem::Code::EdfDates, {DateText(first.date)}};
    const std::optional<int> plethRate = EdfPlethRate(night);
    const std::vector<EdfAnnotation> annotations = EdfAnnotations(night, figures, count, plethRate);

    const int handle = edfopen_file_writeonly(path.c_str(), EDFLIB_FILETYPE_EDFPLUS, plethRate ? 3 : 2);
    if (handle < 0)
        return Problem{handle == EDFLIB_NO_SUCH_FILE_OR_DIRECTORY ? Problem::Code::EdfNotCreated
                                                                  : Problem::Code::EdfNotOpened,
                       {}};
    // Room for every annotation: one per data record and annotation signal.
    const int annotationSignals = static_cast<int>(std::min<std::size_t>(64, annotations.size() / count + 1));
    bool ok = SetEdfHeader(handle, plethRate, MomentOf(firstDate, night.readings.front().seconds), annotationSignals) &&
              WriteEdfRecords(handle, night, count, plethRate);
    for (const EdfAnnotation& a : annotations)
        ok = ok &&
             edfwrite_annotation_utf8(handle, static_cast<long long>(a.onset) * kEdfTicksPerSecond,
                                      static_cast<long long>(a.duration) * kEdfTicksPerSecond, a.text.c_str()) == 0;
    const bool closed = edfclose_file(handle) == 0;
    // edflib does not see every failed write (a full disk, a size limit): the file must be as
    // long as its header says.
    if (!ok || !closed || !EdfComplete(path, count)) {
        std::remove(path.c_str());  // a half-written file would only mislead
        return Problem{Problem::Code::EdfNotWritten, {}};
    }
    return std::nullopt;
}

std::vector<OscarFile> OscarFiles(const Night& night, CivilDate firstDate)
{
    std::vector<OscarFile> files;
    const std::size_t seconds = SecondWalk(night).Count();
    if (seconds == 0)
        return files;
    const std::size_t records = (seconds + kOscarStepSeconds - 1) / kOscarStepSeconds;
    const auto& rs = night.readings;
    const double start = rs.front().seconds;
    const auto index = [start](double t) { return static_cast<std::size_t>(std::lround(t - start)); };

    // Every record a gap, laid down in bulk; then the records the readings fall into, reading by
    // reading: the work follows the readings, the bytes the span.
    std::vector<std::uint8_t> body(records * kOscarRecordBytes);
    constexpr std::array<std::uint8_t, kOscarRecordBytes> kGap = {0xFF, 0xFF, 0xFF, 0, 0};
    std::copy(kGap.begin(), kGap.end(), body.begin());
    for (std::size_t filled = kOscarRecordBytes; filled < body.size(); filled *= 2)
        std::copy_n(body.begin(), std::min(filled, body.size() - filled),
                    body.begin() + static_cast<std::ptrdiff_t>(filled));
    struct Sum {
        int spo2 = 0, pulse = 0, n = 0;
    };
    std::vector<Sum> sums(records);
    std::vector<std::size_t> touched;
    for (std::size_t i = 0; i < rs.size(); ++i) {
        const Entry& r = rs[i];
        if (r.kind != Entry::Kind::Valid || !r.pulse)
            continue;
        // The seconds it stands for, up to the next reading (a later reading of the same second
        // wins, as in SecondWalk).
        std::size_t end = std::min(index(r.seconds + night.step), seconds);
        if (i + 1 < rs.size())
            end = std::min(end, index(rs[i + 1].seconds));
        for (std::size_t s = index(r.seconds); s < end; ++s) {
            Sum& sum = sums[s / kOscarStepSeconds];
            if (sum.n++ == 0)
                touched.push_back(s / kOscarStepSeconds);
            sum.spo2 += *r.spo2;
            sum.pulse += *r.pulse;
        }
    }
    for (const std::size_t record : touched) {
        const Sum& sum = sums[record];
        // Rounded half up: integer arithmetic, no floating point.
        body[record * kOscarRecordBytes] = static_cast<std::uint8_t>((2 * sum.spo2 + sum.n) / (2 * sum.n));
        body[record * kOscarRecordBytes + 1] = static_cast<std::uint8_t>((2 * sum.pulse + sum.n) / (2 * sum.n));
        body[record * kOscarRecordBytes + 2] = 0;
    }

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
        const auto from = body.begin() + static_cast<std::ptrdiff_t>(first * kOscarRecordBytes);
        b.insert(b.end(), from, from + static_cast<std::ptrdiff_t>(count * kOscarRecordBytes));
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace trelvo::report
