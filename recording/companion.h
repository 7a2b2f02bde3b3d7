#pragma once

#include "core/reading.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trelvo::recording {

// The per-second file beside the record file: CSV (RFC 4180, UTF-8, CR LF), one row for every
// wall-clock second of the recording with the unit's own values and the wave samples of that
// second, so other tools and the morning report see every second and the date. The header row
// names the columns; the program also knows its own files by it (files written before the wave
// column have the first four) and never writes over a file that does not begin with one of them.
inline constexpr std::string_view kCompanionHeader = "local_time,spo2_percent,pulse_per_min,status,wave";
inline constexpr std::string_view kCompanionHeaderWithoutWave = "local_time,spo2_percent,pulse_per_min,status";

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
[[nodiscard]] std::string CompanionRow(std::int64_t epochSeconds, const SecondValues& values,
                                       std::span<const std::uint8_t> wave = {});

// The n-th name tried for the per-second file of a record file: night.txt gives night.csv,
// then night-2.csv, night-3.csv ...
[[nodiscard]] std::string CompanionPath(std::string_view recordPath, int n);

// The file begins with one of the program's own header rows.
[[nodiscard]] bool IsCompanionStart(std::string_view firstBytes);

}  // namespace trelvo::recording
