#include "core/display.h"

#include "lang/string_table.h"

#include <charconv>

namespace trelvo::core {
namespace {

// Plain decimal text of a byte, without sign, blanks or leading zeros.
void SetByteText(std::string& text, std::uint8_t value)
{
    char digits[3];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.assign(digits, static_cast<std::size_t>(end - digits));
}

}  // namespace

void ShowMeasurement(const MeasurementState& m, std::int16_t languageBase, Reading& reading)
{
    namespace text = lang::text;
    reading.Unit = {m.SpO2Value, m.PulseValue, m.ProbeStatus, true};

    if (m.ProbeStatus != 0) {
        reading.SpO2Text = kNoSpO2Text;
        reading.PulseText = kNoPulseText;
        reading.Bar = 0;
    } else {
        // 100 and above read as no value, 100 itself included.
        if (m.SpO2Value >= 100)
            reading.SpO2Text = kNoSpO2Text;
        else
            SetByteText(reading.SpO2Text, m.SpO2Value);
        if (m.PulseValue == kNoPulseValue)
            reading.PulseText = kNoPulseText;
        else
            SetByteText(reading.PulseText, m.PulseValue);
    }

    switch (m.ProbeStatus) {
    case 1:
        reading.StatusText = lang::Text(languageBase, text::kNoProbe);
        reading.StatusTip = lang::Text(languageBase, text::kNoProbeTip);
        break;
    case 2:
        reading.StatusText = lang::Text(languageBase, text::kNoSignal);
        reading.StatusTip = lang::Text(languageBase, text::kNoSignalTip);
        break;
    default:
        // Unknown status values blank the numbers like a fault, yet read "OK!".
        reading.StatusText = kStatusOkText;
        reading.StatusTip = lang::Text(languageBase, text::kMeasuringTip);
        break;
    }
}

}  // namespace trelvo::core
