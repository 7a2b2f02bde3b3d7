#pragma once

#include "report/night/clock_text.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace trelvo::report {

// The language the report's pages and pictures speak: their texts from the program's language
// table, its decimal separator and its form of dates. A base the table does not know speaks
// English. Machine files (CSV, EDF+, OSCAR) never speak: they stay as they are.
class Speech {
public:
    explicit Speech(std::int16_t languageBase);

    [[nodiscard]] std::int16_t Base() const noexcept { return m_base; }
    // The text at this offset, its %1, %2 ... replaced by the values in order.
    [[nodiscard]] std::string Text(int offset, std::initializer_list<std::string_view> values = {}) const;
    [[nodiscard]] std::string Number(double value, int decimals) const;  // "96,6"
    // A number the report's plain texts wrote with a point, with this language's separator.
    [[nodiscard]] std::string Decimals(std::string text) const;
    [[nodiscard]] std::string Date(CivilDate date) const;  // "07.12.2026"
    // A date as the report files write it ("2026-12-07") in this language's form.
    [[nodiscard]] std::string Date(std::string_view iso) const;
    // A moment as MomentText writes it ("2026-12-08 07:12:00"), its date in this language's form.
    [[nodiscard]] std::string Moment(const std::string& text) const;

private:
    std::int16_t m_base;
    char m_decimal = '.';
    std::string_view m_dateForm = "yyyy-MM-dd";
};

}  // namespace trelvo::report
