#include "report/grouping.h"

#include <algorithm>
#include <cmath>

namespace trelvo::report {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kNightTurn = 12 * 3600;  // noon

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

double Utc(const TimedNight& file, const Reading& r)
{
    return static_cast<double>(file.origin) + r.seconds;
}

bool IsPerSecond(const TimedNight& file)
{
    return file.night.hasOffsets;
}

}  // namespace

TimedNight PlacePerSecond(Night night)
{
    TimedNight placed{std::move(night), 0};
    if (!placed.night.readings.empty() && placed.night.date)
        placed.origin = DaysFromCivil(*placed.night.date) * kDay - placed.night.readings.front().utcOffset;
    return placed;
}

TimedNight PlaceRecord(Night night, CivilDate date, std::int32_t utcOffset)
{
    night.date = date;
    for (Reading& r : night.readings)
        r.utcOffset = utcOffset;
    return {std::move(night), DaysFromCivil(date) * kDay - utcOffset};
}

std::int64_t NightOf(double utc, std::int32_t utcOffset)
{
    return FloorDiv(static_cast<std::int64_t>(std::floor(utc)) + utcOffset - kNightTurn, kDay);
}

std::vector<std::int64_t> NightsOf(const TimedNight& file)
{
    std::vector<std::int64_t> nights;
    for (const Reading& r : file.night.readings)
        if (const std::int64_t n = NightOf(Utc(file, r), r.utcOffset); nights.empty() || nights.back() != n)
            nights.push_back(n);
    std::sort(nights.begin(), nights.end());
    nights.erase(std::unique(nights.begin(), nights.end()), nights.end());
    return nights;
}

Night JoinNight(std::int64_t night, std::span<const TimedNight* const> files)
{
    struct Piece {
        double utc;
        const TimedNight* file;
        const Reading* reading;
        bool whole;  // the reading with its wave, not a second filled from a record line
    };
    std::vector<const TimedNight*> contributing;
    bool perSecond = false;
    for (const TimedNight* file : files)
        for (const Reading& r : file->night.readings)
            if (NightOf(Utc(*file, r), r.utcOffset) == night) {
                contributing.push_back(file);
                perSecond = perSecond || IsPerSecond(*file);
                break;
            }
    if (contributing.empty())
        return {};
    if (contributing.size() == 1 && NightsOf(*contributing.front()).size() == 1)
        return contributing.front()->night;

    // The seconds per-second rows tell.
    std::vector<std::int64_t> told;
    for (const TimedNight* file : contributing)
        if (IsPerSecond(*file))
            for (const Reading& r : file->night.readings)
                told.push_back(static_cast<std::int64_t>(std::floor(Utc(*file, r))));
    std::sort(told.begin(), told.end());

    std::vector<Piece> pieces;
    for (const TimedNight* file : contributing)
        for (const Reading& r : file->night.readings) {
            const double utc = Utc(*file, r);
            if (NightOf(utc, r.utcOffset) != night)
                continue;
            if (!perSecond || IsPerSecond(*file)) {
                pieces.push_back({utc, file, &r, true});
                continue;
            }
            for (int k = 0; k < static_cast<int>(kLineSeconds); ++k)
                if (!std::binary_search(told.begin(), told.end(), static_cast<std::int64_t>(std::floor(utc)) + k))
                    pieces.push_back({utc + k, file, &r, k == 0});
        }
    std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.utc < b.utc; });
    // Two record files with a line at the same time (a copy of the file): the line counts once.
    if (!perSecond)
        pieces.erase(std::unique(pieces.begin(), pieces.end(),
                                 [](const Piece& a, const Piece& b) { return a.utc == b.utc && a.file != b.file; }),
                     pieces.end());

    Night joined;
    joined.step = perSecond ? kRowSeconds : kLineSeconds;
    joined.hasOffsets = perSecond;
    const std::int32_t firstOffset = pieces.front().reading->utcOffset;
    const std::int64_t firstDay =
        FloorDiv(static_cast<std::int64_t>(std::floor(pieces.front().utc)) + firstOffset, kDay);
    joined.date = CivilFromDays(firstDay);
    const double axisOrigin = static_cast<double>(firstDay * kDay - firstOffset);
    for (const TimedNight* file : contributing) {
        joined.hasWave = joined.hasWave || file->night.hasWave;
        joined.totalLines += file->night.totalLines;
    }
    for (const Piece& piece : pieces) {
        Reading r = *piece.reading;
        r.seconds = piece.utc - axisOrigin;
        r.waveBegin = static_cast<std::uint32_t>(joined.wave.size());
        r.waveCount = 0;
        if (piece.whole) {
            const auto samples = piece.file->night.WaveOf(*piece.reading);
            joined.wave.insert(joined.wave.end(), samples.begin(), samples.end());
            r.waveCount = static_cast<std::uint32_t>(samples.size());
        }
        if (!joined.readings.empty() && joined.readings.back().utcOffset != r.utcOffset)
            joined.offsetChanges.emplace_back(r.seconds, r.utcOffset);
        joined.readings.push_back(r);
    }
    return joined;
}

}  // namespace trelvo::report
