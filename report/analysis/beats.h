#pragma once

#include "report/night/night.h"

#include <optional>
#include <vector>

namespace trelvo::report {

// The beat detector, simple and stated: a beat is the wave rising through the middle of its range
// over the surrounding three seconds (the second, the one before and the one after), where that
// range is at least kSmallestSwing; at least kShortestBeat after the beat before. Its time is
// where the rise crosses the middle, sample i of n standing at i/n of its second. The rate of a
// beat is 60 / the time since the beat before, within the same stretch of wave, for times from
// kShortestBeat to kLongestBeat.
inline constexpr int kSmallestSwing = 20;
inline constexpr double kShortestBeat = 0.3;  // 200 per minute
inline constexpr double kLongestBeat = 2.0;   // 30 per minute

struct Beat {
    double time = 0;             // seconds as in Entry
    std::optional<double> rate;  // per minute, from the beat before
};

[[nodiscard]] std::vector<Beat> DetectBeats(const Night& night);

// How far the beat-to-beat rate is from the unit's pulse: each beat with a rate against the
// unit's pulse of the second it falls in (when that second has one).
struct BeatAgreement {
    std::size_t compared = 0;
    double medianDifference = 0;  // per minute
};
[[nodiscard]] BeatAgreement Agreement(const Night& night, const std::vector<Beat>& beats);

}  // namespace trelvo::report
