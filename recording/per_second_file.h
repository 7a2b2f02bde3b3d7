#pragma once

#include "core/reading.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::recording {

// The per-second file beside the record file: CSV (RFC 4180, UTF-8, CR LF), one row for every
// wall-clock second of the recording with the unit's own values and the wave samples of that
// second, so other tools and the morning report see every second and the date. The header row
// names the columns; the program also knows its own files by it (files written before the wave
// column have the first four) and never writes over a file that does not begin with one of them.
inline constexpr std::string_view kPerSecondHeader = "local_time,spo2_percent,pulse_per_min,status,wave";
inline constexpr std::string_view kPerSecondHeaderWithoutWave = "local_time,spo2_percent,pulse_per_min,status";

// What the unit said at one second.
struct SecondValues {
    core::UnitValues unit;  // the values behind the fields
    bool noData = false;    // the no-data warning is on, or nothing has come yet
};

// "2026-12-07T23:40:01+01:00": local date and time with the UTC offset in force at that moment,
// so a night across midnight or a change of summer time stays unambiguous.
[[nodiscard]] std::string IsoLocalTime(std::int64_t epochSeconds);

// One row: time, SpO2 (0..100, else empty), pulse (0..254, else empty), the status (ok,
// no_probe, no_signal, no_data, or other:<byte>) and the wave samples of the second separated by
// blanks (an empty field when none came). Without data both values are empty.
[[nodiscard]] std::string PerSecondRow(std::int64_t epochSeconds, const SecondValues& values,
                                       std::span<const std::uint8_t> wave = {});

// The n-th name tried for the per-second file of a record file: night.txt gives night.csv,
// then night-2.csv, night-3.csv ...
[[nodiscard]] std::string PerSecondPath(std::string_view recordPath, int n);

// The text begins with one of the program's own header rows, followed by a line end (CR LF, LF
// or CR) or by nothing: the one rule by which the program and its report know the file.
[[nodiscard]] bool IsPerSecondStart(std::string_view firstBytes);

// The status column's words, one table for the writer and the reader: the unit's probe status
// bytes 0, 1, 2, the time without data, and "other:<byte>" for any other byte.
enum class RowStatus { Ok, NoProbe, NoSignal, NoData, Other };
struct StatusWord {
    std::string_view word;
    RowStatus status;
};
inline constexpr StatusWord kStatusWords[] = {{"ok", RowStatus::Ok},
                                              {"no_probe", RowStatus::NoProbe},
                                              {"no_signal", RowStatus::NoSignal},
                                              {"no_data", RowStatus::NoData}};
inline constexpr std::string_view kOtherStatus = "other:";

// One row as read back.
struct RowRead {
    int year = 0, month = 0, day = 0;
    int secondOfDay = 0;       // the local time of day
    int utcOffset = 0;         // seconds east of UTC in force then
    std::optional<int> spo2;   // 0..100, when the cell holds a value
    std::optional<int> pulse;  // 0..254
    RowStatus status = RowStatus::Ok;
};
// Reads one row without its line end: "2026-12-07T23:40:01+01:00,97,72,ok,39 42 41" (a time "…Z"
// or "…-03:30" too; cells in double quotes lose them, as a spreadsheet may add them). The wave
// samples (0..247, single blanks between) are appended to wave. Nothing, and wave as it was, for
// a row that does not read.
[[nodiscard]] std::optional<RowRead> ReadPerSecondRow(std::string_view row, std::vector<std::uint8_t>& wave);
// The same, the wave checked by the same rule but not kept: a row reads or not as it does above.
[[nodiscard]] std::optional<RowRead> ReadPerSecondRow(std::string_view row);

}  // namespace trelvo::recording
