#include "report/analysis/beats.h"

#include <algorithm>
#include <cmath>

namespace trelvo::report {
namespace {

struct Range {
    int low = 255, high = -1;
    [[nodiscard]] bool Empty() const { return high < 0; }
    void Add(const Range& other)
    {
        low = std::min(low, other.low);
        high = std::max(high, other.high);
    }
};

}  // namespace

std::vector<Beat> DetectBeats(const Night& night)
{
    std::vector<Beat> beats;
    const auto& rs = night.readings;
    std::vector<Range> ranges(rs.size());
    for (std::size_t i = 0; i < rs.size(); ++i)
        for (const std::uint8_t sample : night.WaveOf(rs[i])) {
            ranges[i].low = std::min<int>(ranges[i].low, sample);
            ranges[i].high = std::max<int>(ranges[i].high, sample);
        }
    // Neighbouring seconds belong to one stretch of wave when both have samples and lie one
    // second apart.
    const auto joined = [&](std::size_t a, std::size_t b) {
        return !ranges[a].Empty() && !ranges[b].Empty() && std::abs(rs[b].seconds - rs[a].seconds - 1) < 1e-6;
    };
    // The beat before, within this stretch of wave (a plain pair: GCC's -O3 takes an optional
    // for uninitialised here).
    bool haveBeat = false;
    double lastBeat = 0;
    double previousValue = 0, previousTime = 0;
    bool havePrevious = false;
    double waveEnd = -1e18;  // where the wave read so far ends
    for (std::size_t i = 0; i < rs.size(); ++i) {
        const auto wave = night.WaveOf(rs[i]);
        // A second told twice (the clock was set back) is read once.
        if (rs[i].seconds < waveEnd - 1e-9)
            continue;
        if (!wave.empty())
            waveEnd = rs[i].seconds + 1;
        if (wave.empty() || i == 0 || !joined(i - 1, i)) {
            haveBeat = false;
            havePrevious = false;
        }
        if (wave.empty())
            continue;
        Range around = ranges[i];
        if (i > 0 && joined(i - 1, i))
            around.Add(ranges[i - 1]);
        if (i + 1 < rs.size() && joined(i, i + 1))
            around.Add(ranges[i + 1]);
        const bool swings = around.high - around.low >= kSmallestSwing;
        const double middle = (around.low + around.high) / 2.0;
        for (std::size_t k = 0; k < wave.size(); ++k) {
            const double time = rs[i].seconds + static_cast<double>(k) / static_cast<double>(wave.size());
            const double value = wave[k];
            if (swings && havePrevious && previousValue < middle && value >= middle) {
                const double crossing =
                    previousTime + (time - previousTime) * (middle - previousValue) / (value - previousValue);
                if (!haveBeat || crossing - lastBeat >= kShortestBeat) {
                    Beat beat{crossing, std::nullopt};
                    if (haveBeat && crossing - lastBeat <= kLongestBeat)
                        beat.rate = 60.0 / (crossing - lastBeat);
                    beats.push_back(beat);
                    haveBeat = true;
                    lastBeat = crossing;
                }
            }
            previousValue = value;
            previousTime = time;
            havePrevious = true;
        }
    }
    return beats;
}

BeatAgreement Agreement(const Night& night, const std::vector<Beat>& beats)
{
    std::vector<double> differences;
    const auto& rs = night.readings;
    std::size_t r = 0;
    for (const Beat& beat : beats) {
        if (!beat.rate)
            continue;
        while (r < rs.size() && rs[r].seconds + night.step <= beat.time)
            ++r;
        if (r < rs.size() && rs[r].seconds <= beat.time && rs[r].pulse)
            differences.push_back(std::abs(*beat.rate - *rs[r].pulse));
    }
    BeatAgreement agreement{differences.size(), 0};
    if (!differences.empty()) {
        const std::size_t middle = differences.size() / 2;
        std::nth_element(differences.begin(), differences.begin() + static_cast<std::ptrdiff_t>(middle),
                         differences.end());
        agreement.medianDifference = differences[middle];
    }
    return agreement;
}

}  // namespace trelvo::report
