#include "report/night/grouping.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace trelvo::report {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kNightTurn = 12 * 3600;  // noon

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

double Utc(const TimedNight& file, const Entry& r)
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

TimedNight PlaceRecord(Night night, CivilDate date, std::int32_t utcOffset, std::int32_t lastOffset)
{
    night.date = date;
    auto& rs = night.readings;
    const std::int32_t change = lastOffset - utcOffset;
    std::size_t from = rs.size();
    if (change != 0)
        for (std::size_t i = 1; i < rs.size() && from == rs.size(); ++i) {
            const double step = rs[i].seconds - rs[i - 1].seconds;
            // Forward: the clock skips the change; back: it repeats it, read as the next day.
            const double skipped = change > 0 ? step - change : step - (kDay + change);
            if (skipped > 0 && skipped <= 60)
                from = i;
        }
    for (std::size_t i = 0; i < rs.size(); ++i)
        rs[i].utcOffset = i < from ? utcOffset : lastOffset;
    if (from < rs.size()) {
        // The axis runs on the first line's offset, as a per-second file's does.
        const double shift = change > 0 ? -change : -(kDay + change);
        for (std::size_t i = from; i < rs.size(); ++i)
            rs[i].seconds += shift;
        night.offsetChanges.emplace_back(rs[from].seconds, lastOffset);
    }
    return {std::move(night), DaysFromCivil(date) * kDay - utcOffset};
}

std::int64_t NightOf(double utc, std::int32_t utcOffset)
{
    return FloorDiv(static_cast<std::int64_t>(std::floor(utc)) + utcOffset - kNightTurn, kDay);
}

std::vector<std::int64_t> NightsOf(const TimedNight& file)
{
    std::vector<std::int64_t> nights;
    for (const Entry& r : file.night.readings)
        if (const std::int64_t n = NightOf(Utc(file, r), r.utcOffset); nights.empty() || nights.back() != n)
            nights.push_back(n);
    std::sort(nights.begin(), nights.end());
    nights.erase(std::unique(nights.begin(), nights.end()), nights.end());
    return nights;
}

namespace {

bool InNight(WhichNight night, const TimedNight& file, const Entry& r)
{
    return !night || NightOf(Utc(file, r), r.utcOffset) == *night;
}

bool HasReadingsIn(WhichNight night, const TimedNight& file)
{
    return std::any_of(file.night.readings.begin(), file.night.readings.end(),
                       [&](const Entry& r) { return InNight(night, file, r); });
}

// Per-second files with the wave first, then those without, then record files; else as given.
std::vector<std::size_t> TellingOrder(WhichNight night, std::span<const TimedNight* const> files)
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (HasReadingsIn(night, *files[i]))
            order.push_back(i);
    const auto rank = [&](std::size_t i) { return IsPerSecond(*files[i]) ? (files[i]->night.hasWave ? 0 : 1) : 2; };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
    return order;
}

std::int64_t SecondOf(const TimedNight& file, const Entry& r)
{
    return static_cast<std::int64_t>(std::floor(Utc(file, r)));
}

// What a reading says, to compare two files' word on one second.
std::int64_t Said(const Entry& r)
{
    return static_cast<std::int64_t>(r.kind) * 1'000'000 + r.spo2.value_or(999) * 1000 + r.pulse.value_or(999);
}

// What each second of a night said (a file's word on it, or only that it was told): an array
// over the night's span and ahead seconds after it, a map for files years apart. A second keeps
// the first word told of it.
class SaidBySecond {
public:
    SaidBySecond(std::int64_t first, std::int64_t last, std::int64_t ahead = 0)
        : m_first(first),
          m_dense(last >= first && last - first <= 2 * static_cast<std::int64_t>(kLongestNight)),
          m_said(m_dense ? static_cast<std::size_t>(last - first + ahead) + 1 : 0, kNone)
    {
    }
    [[nodiscard]] std::optional<std::int64_t> Find(std::int64_t second) const
    {
        if (!m_dense) {
            const auto it = m_sparse.find(second);
            return it == m_sparse.end() ? std::nullopt : std::optional(it->second);
        }
        const std::int64_t said = m_said[static_cast<std::size_t>(second - m_first)];
        return said == kNone ? std::nullopt : std::optional(said);
    }
    void Tell(std::int64_t second, std::int64_t said)
    {
        if (!m_dense)
            m_sparse.emplace(second, said);
        else if (std::int64_t& at = m_said[static_cast<std::size_t>(second - m_first)]; at == kNone)
            at = said;
    }

private:
    static constexpr std::int64_t kNone = -1;  // Said is never negative
    std::int64_t m_first;
    bool m_dense;
    std::vector<std::int64_t> m_said;
    std::unordered_map<std::int64_t, std::int64_t> m_sparse;
};

// The first and last second the files tell of the night.
std::pair<std::int64_t, std::int64_t> SpanOf(WhichNight night, std::span<const TimedNight* const> files,
                                             const std::vector<std::size_t>& order)
{
    std::int64_t first = INT64_MAX, last = INT64_MIN;
    for (const std::size_t i : order)
        for (const Entry& r : files[i]->night.readings)
            if (InNight(night, *files[i], r)) {
                first = std::min(first, SecondOf(*files[i], r));
                last = std::max(last, SecondOf(*files[i], r));
            }
    return {first, last};
}

}  // namespace

std::vector<std::vector<std::size_t>> Recordings(WhichNight night, std::span<const TimedNight* const> files,
                                                 std::span<const std::optional<std::size_t>> partners)
{
    // A record file written with a per-second file claims its place before one that has none.
    std::vector<std::size_t> order = TellingOrder(night, files);
    const auto [first, last] = SpanOf(night, files, order);
    struct Group {
        std::vector<std::size_t> files;
        SaidBySecond rows, lines;
    };
    std::vector<Group> groups;
    const auto hasPartner = [&](std::size_t i) { return i < partners.size() && partners[i].has_value(); };
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t i) { return IsPerSecond(*files[i]) || hasPartner(i); });
    for (const std::size_t i : order) {
        const TimedNight& file = *files[i];
        Group* home = nullptr;
        // Its partner's group first, then the others in order.
        std::vector<Group*> tried;
        // (A plain index, none found for no partner: GCC's -O3 takes an optional here for unset.)
        const std::size_t partner = i < partners.size() && partners[i] ? *partners[i] : SIZE_MAX;
        for (Group& group : groups)
            if (std::find(group.files.begin(), group.files.end(), partner) != group.files.end())
                tried.insert(tried.begin(), &group);
            else
                tried.push_back(&group);
        for (Group* candidate : tried) {
            Group& group = *candidate;
            const auto& told = IsPerSecond(file) ? group.rows : group.lines;
            // A record file not written with a per-second file of the group tells none of its
            // seconds: it is another recording (a copy dated by its file's time, another unit).
            const bool stranger =
                !IsPerSecond(file) && std::find(group.files.begin(), group.files.end(), partner) == group.files.end();
            const bool agrees =
                std::none_of(file.night.readings.begin(), file.night.readings.end(), [&](const Entry& r) {
                    if (!InNight(night, file, r))
                        return false;
                    const std::int64_t second = SecondOf(file, r);
                    if (stranger && group.rows.Find(second))
                        return true;
                    const auto said = told.Find(second);
                    return said && *said != Said(r);
                });
            if (agrees) {
                home = &group;
                break;
            }
        }
        if (!home)
            home = &groups.emplace_back(Group{{}, SaidBySecond(first, last), SaidBySecond(first, last)});
        home->files.push_back(i);
        auto& told = IsPerSecond(file) ? home->rows : home->lines;
        for (const Entry& r : file.night.readings)
            if (InNight(night, file, r))
                told.Tell(SecondOf(file, r), Said(r));
    }
    std::vector<std::vector<std::size_t>> recordings;
    for (Group& group : groups) {
        std::sort(group.files.begin(), group.files.end());
        recordings.push_back(std::move(group.files));
    }
    std::sort(recordings.begin(), recordings.end());
    return recordings;
}

namespace {

// A second of the night as one file tells it.
struct Piece {
    double utc;
    const TimedNight* file;
    const Entry* reading;
    bool whole;  // the reading with its wave, not a second filled from a record line
};

// Each second from the first file in the telling order that tells it; the files that told none.
std::vector<Piece> TellEachSecondOnce(WhichNight night, std::span<const TimedNight* const> files,
                                      const std::vector<std::size_t>& order, bool perSecond,
                                      std::vector<std::size_t>& setAside)
{
    const auto [first, last] = SpanOf(night, files, order);
    // The seconds told so far (a record line tells the four after its own too).
    SaidBySecond told(first, last, static_cast<std::int64_t>(kLineSeconds));
    std::vector<Piece> pieces;
    for (const std::size_t i : order) {
        const TimedNight* file = files[i];
        const std::size_t before = pieces.size();
        for (const Entry& r : file->night.readings) {
            if (!InNight(night, *file, r))
                continue;
            const double utc = Utc(*file, r);
            const std::int64_t second = SecondOf(*file, r);
            if (IsPerSecond(*file)) {
                if (!told.Find(second)) {
                    told.Tell(second, 0);
                    pieces.push_back({utc, file, &r, true});
                }
            } else if (perSecond) {
                for (int k = 0; k < static_cast<int>(kLineSeconds); ++k)
                    if (!told.Find(second + k)) {
                        told.Tell(second + k, 0);
                        pieces.push_back({utc + k, file, &r, k == 0});
                    }
            } else if (!told.Find(second)) {
                for (int k = 0; k < static_cast<int>(kLineSeconds); ++k)
                    told.Tell(second + k, 0);
                pieces.push_back({utc, file, &r, true});
            }
        }
        // A record file beside its per-second file tells nothing new: that is how they are written.
        if (pieces.size() == before && (IsPerSecond(*file) || !perSecond))
            setAside.push_back(i);
    }
    const auto earlier = [](const Piece& a, const Piece& b) { return a.utc < b.utc; };
    if (!std::is_sorted(pieces.begin(), pieces.end(), earlier))
        std::stable_sort(pieces.begin(), pieces.end(), earlier);
    return pieces;
}

// The per-second file that alone tells every second of the pieces, each of its readings once, on
// the axis and with the date the pieces' night would have, its wave in their order: the night
// made of the pieces is its own night, which need not be made again. Else null.
const TimedNight* TellingAlone(const std::vector<Piece>& pieces)
{
    const TimedNight* file = pieces.front().file;
    const auto& rs = file->night.readings;
    if (!IsPerSecond(*file) || pieces.size() != rs.size() || !file->night.date)
        return nullptr;
    std::uint32_t wave = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].file != file || pieces[i].reading != &rs[i] || rs[i].waveBegin != wave)
            return nullptr;
        wave += rs[i].waveCount;
    }
    const std::int64_t firstDay =
        FloorDiv(static_cast<std::int64_t>(std::floor(pieces.front().utc)) + rs.front().utcOffset, kDay);
    return CivilFromDays(firstDay) == *file->night.date && wave == file->night.wave.size() ? file : nullptr;
}

// The pieces in time order as one night on the first piece's clock.
Night NightOfPieces(const std::vector<Piece>& pieces, bool perSecond)
{
    Night joined;
    joined.step = perSecond ? kRowSeconds : kLineSeconds;
    joined.hasOffsets = perSecond;
    const std::int32_t firstOffset = pieces.front().reading->utcOffset;
    const std::int64_t firstDay =
        FloorDiv(static_cast<std::int64_t>(std::floor(pieces.front().utc)) + firstOffset, kDay);
    joined.date = CivilFromDays(firstDay);
    const double axisOrigin = static_cast<double>(firstDay * kDay - firstOffset);
    for (const Piece& piece : pieces) {
        Entry r = *piece.reading;
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
    CountEachSecondOnce(joined);
    return joined;
}

}  // namespace

Joined JoinNight(WhichNight night, std::span<const TimedNight* const> files)
{
    const std::vector<std::size_t> order = TellingOrder(night, files);
    Joined result;
    if (order.empty())
        return result;
    if (order.size() == 1 && (!night || NightsOf(*files[order.front()]).size() == 1)) {
        result.night = files[order.front()]->night;
        return result;
    }
    const bool perSecond =
        std::any_of(order.begin(), order.end(), [&](std::size_t i) { return IsPerSecond(*files[i]); });
    const std::vector<Piece> pieces = TellEachSecondOnce(night, files, order, perSecond, result.setAside);
    if (const TimedNight* alone = TellingAlone(pieces)) {
        result.night = alone->night;
        result.night.brokenLines.clear();  // as a night made of pieces: its files' lines are theirs
        result.night.brokenCount = 0;
        result.night.totalLines = 0;
    } else {
        result.night = NightOfPieces(pieces, perSecond);
    }
    for (const std::size_t i : order) {
        result.night.hasWave = result.night.hasWave || files[i]->night.hasWave;
        result.night.totalLines += files[i]->night.totalLines;
    }
    return result;
}

}  // namespace trelvo::report
