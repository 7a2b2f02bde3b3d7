#include "report/words/speech.h"

#include "lang/string_table.h"

#include <cstdio>

namespace trelvo::report {

Speech::Speech(std::int16_t languageBase) : m_base(lang::IsLanguage(languageBase) ? languageBase : lang::kEnglish)
{
    for (const lang::Language& l : lang::Languages())
        if (l.base == m_base) {
            m_decimal = l.decimalSeparator;
            m_dateForm = l.dateForm;
        }
}

std::string Speech::Text(int offset, std::initializer_list<std::string_view> values) const
{
    const std::string_view text = lang::Text(m_base, offset);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n = i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '0') : 0;
        if (text[i] == '%' && n >= 1 && n <= values.size()) {
            out += *(values.begin() + (n - 1));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Speech::Number(double value, int decimals) const
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return Decimals(text);
}

std::string Speech::Decimals(std::string text) const
{
    for (char& c : text)
        if (c == '.')
            c = m_decimal;
    return text;
}

std::string Speech::Date(CivilDate date) const
{
    char part[8];
    std::string out;
    for (std::size_t i = 0; i < m_dateForm.size();) {
        const auto take = [&](std::string_view token, int value, const char* format) {
            if (m_dateForm.substr(i, token.size()) != token)
                return false;
            std::snprintf(part, sizeof part, format, value);
            out += part;
            i += token.size();
            return true;
        };
        if (!take("yyyy", date.year, "%04d") && !take("MM", date.month, "%02d") && !take("dd", date.day, "%02d"))
            out += m_dateForm[i++];
    }
    return out;
}

std::string Speech::Date(std::string_view iso) const
{
    if (iso.size() != 10)
        return std::string(iso);
    const auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t k = at; k < at + length; ++k)
            value = value * 10 + (iso[k] - '0');
        return value;
    };
    return Date(CivilDate{number(0, 4), number(5, 2), number(8, 2)});
}

std::string Speech::Moment(const std::string& text) const
{
    return text.size() > 10 ? Date(std::string_view(text).substr(0, 10)) + text.substr(10) : text;
}

}  // namespace trelvo::report
