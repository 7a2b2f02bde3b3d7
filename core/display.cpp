#include "core/display.h"

#include "lang/string_table.h"

#include <charconv>

namespace trelvo::core {
namespace {

// Plain decimal text of a byte, without sign, blanks or leading zeros.
class ByteText {
public:
    explicit ByteText(std::uint8_t value) noexcept
    {
        m_length = static_cast<std::size_t>(std::to_chars(m_digits, m_digits + sizeof m_digits, value).ptr -
                                            m_digits);
    }
    [[nodiscard]] std::string_view view() const noexcept { return {m_digits, m_length}; }

private:
    char m_digits[3] = {};
    std::size_t m_length = 0;
};

}  // namespace

void ShowMeasurement(const MeasurementState& m, std::int16_t languageBase, ValueFields& fields)
{
    namespace text = lang::text;

    if (m.ProbeStatus != 0) {
        fields.SetCaption(Field::SpO2, kNoSpO2Text);
        fields.SetCaption(Field::Pulse, kNoPulseText);
        fields.SetPulseBar(0.0);
    } else {
        // 100 and above read as no value, 100 itself included.
        if (m.SpO2Value >= 100)
            fields.SetCaption(Field::SpO2, kNoSpO2Text);
        else
            fields.SetCaption(Field::SpO2, ByteText(m.SpO2Value).view());
        if (m.PulseValue == kNoPulseValue)
            fields.SetCaption(Field::Pulse, kNoPulseText);
        else
            fields.SetCaption(Field::Pulse, ByteText(m.PulseValue).view());
    }

    switch (m.ProbeStatus) {
    case 1:
        fields.SetCaption(Field::Status, lang::Text(languageBase, text::kNoProbe));
        fields.SetToolTip(Field::Status, lang::Text(languageBase, text::kNoProbeTip));
        break;
    case 2:
        fields.SetCaption(Field::Status, lang::Text(languageBase, text::kNoSignal));
        fields.SetToolTip(Field::Status, lang::Text(languageBase, text::kNoSignalTip));
        break;
    default:
        // Unknown status values blank the numbers like a fault, yet read "OK!".
        fields.SetCaption(Field::Status, kStatusOkText);
        fields.SetToolTip(Field::Status, lang::Text(languageBase, text::kMeasuringTip));
        break;
    }
}

void ShowPulseBar(std::int16_t sample, ValueFields& fields)
{
    fields.SetPulseBar(static_cast<double>(sample));
}

}  // namespace trelvo::core
