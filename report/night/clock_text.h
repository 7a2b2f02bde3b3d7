#pragma once

#include <cstdint>
#include <string>

namespace trelvo::report {

// Dates and times as the report writes them: plain C++, the same in every output.
struct CivilDate {
    int year = 1970, month = 1, day = 1;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Days since 1970-01-01 of a date, and back.
[[nodiscard]] std::int64_t DaysFromCivil(CivilDate date) noexcept;
[[nodiscard]] CivilDate CivilFromDays(std::int64_t days) noexcept;
[[nodiscard]] std::string DateText(CivilDate date);  // "2026-12-07"

[[nodiscard]] std::string ClockText(double seconds);     // "23:59:55", days folded away
[[nodiscard]] std::string DurationText(double seconds);  // "7 h 58 min"

}  // namespace trelvo::report
