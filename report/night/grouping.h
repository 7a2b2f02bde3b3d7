#pragma once

#include "report/night/night.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace trelvo::report {

// A file's readings placed in time: the axis's 0 (Entry::seconds) is at origin, in seconds since
// 1970 UTC, and every reading carries the UTC offset its clock showed.
struct TimedNight {
    Night night;
    std::int64_t origin = 0;
};

// A per-second file says its own times: its axis starts at the local midnight of its first row.
[[nodiscard]] TimedNight PlacePerSecond(Night night);
// A record file says only the clock: its first line's date and the UTC offsets its clock ran on
// at its first and last lines come from elsewhere (its per-second file, or the time zone). When
// they differ, the clock was changed for summer time where the lines jump by the difference (an
// hour forward, or an hour back, which reading the lines took for the next day).
[[nodiscard]] TimedNight PlaceRecord(Night night, CivilDate date, std::int32_t utcOffset, std::int32_t lastOffset);

// A night runs from local noon to local noon and is named by the day of its evening, in days
// since 1970-01-01.
[[nodiscard]] std::int64_t NightOf(double utc, std::int32_t utcOffset);
// The nights a file's readings fall into, in order, each once.
[[nodiscard]] std::vector<std::int64_t> NightsOf(const TimedNight& file);

// Which night's readings to take: one night, or every reading of the files (nothing).
using WhichNight = std::optional<std::int64_t>;

// Files that tell one second with different values are different recordings (two units at once,
// or record files dated alike by a copy that lost their times): never joined. The files (those
// with readings in the night) in groups that agree wherever they tell the same second, each group
// in the order of the files. A record line and a per-second row never disagree: the line shows
// the fields at its tick, the row the values as its second ends. A record file goes with its
// partner (the per-second file written beside it); one that is not a group's partner never shares a
// second with that group's per-second rows.
[[nodiscard]] std::vector<std::vector<std::size_t>>
Recordings(WhichNight night, std::span<const TimedNight* const> files,
           std::span<const std::optional<std::size_t>> partners = {});

struct Joined {
    Night night;
    // Files with readings in the night that told no second of it (a copy, an export): per-second
    // files, and record files in a night without per-second rows.
    std::vector<std::size_t> setAside;
};

// One night from files of one recording. Each second counts once, whatever files tell it: a
// per-second file with the wave before one without, a per-second row before a record line, and
// among equals the file given first; a record line stands for the five seconds from its time, so
// beside per-second rows it fills only the seconds they do not tell. Time between two recordings
// stays without readings. A night from one file alone is that file's readings as they are.
[[nodiscard]] Joined JoinNight(WhichNight night, std::span<const TimedNight* const> files);

}  // namespace trelvo::report
