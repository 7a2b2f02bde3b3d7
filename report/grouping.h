#pragma once

#include "report/night.h"

#include <cstdint>
#include <span>
#include <vector>

namespace trelvo::report {

// A file's readings placed in time: the axis's 0 (Reading::seconds) is at origin, in seconds since
// 1970 UTC, and every reading carries the UTC offset its clock showed.
struct TimedNight {
    Night night;
    std::int64_t origin = 0;
};

// A per-second file says its own times: its axis starts at the local midnight of its first row.
[[nodiscard]] TimedNight PlacePerSecond(Night night);
// A record file says only the clock: its first line's date and the UTC offset its clock ran on
// come from elsewhere (its per-second file, or the time zone).
[[nodiscard]] TimedNight PlaceRecord(Night night, CivilDate date, std::int32_t utcOffset);

// A night runs from local noon to local noon and is named by the day of its evening, in days
// since 1970-01-01.
[[nodiscard]] std::int64_t NightOf(double utc, std::int32_t utcOffset);
// The nights a file's readings fall into, in order, each once.
[[nodiscard]] std::vector<std::int64_t> NightsOf(const TimedNight& file);

// One night from every file with readings in it. A second told by a per-second row is taken from
// there; a record line stands for the five seconds from its time, so with per-second rows in the
// night it fills only the seconds they do not tell. Time between two recordings stays without
// readings. A night from one file alone is that file's readings as they are.
[[nodiscard]] Night JoinNight(std::int64_t night, std::span<const TimedNight* const> files);

}  // namespace trelvo::report
