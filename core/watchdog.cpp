#include "core/watchdog.h"

#include "lang/string_table.h"

namespace trelvo::core {

void NoDataWatchdog::Timer3_Timer()
{
    std::uint8_t& ticks = m_measurement.NoDataTicks;
    if (ticks < kTickLimit)
        ++ticks;

    if (ticks <= kQuietTicksAllowed) {
        m_fields.SetBackColor(Field::Pulse, SystemColour::WindowBackground);
        m_fields.SetBackColor(Field::SpO2, SystemColour::WindowBackground);
        return;
    }

    m_blinkCounter = m_blinkCounter < kBlinkCycle ? m_blinkCounter + 1 : 0;
    const Colour back = (m_blinkCounter % 2 != 0) ? Colour(kAlertBackColor) : Colour(SystemColour::WindowBackground);
    m_fields.SetBackColor(Field::Pulse, back);
    m_fields.SetBackColor(Field::SpO2, back);
    m_fields.SetCaption(Field::Pulse, {});
    m_fields.SetCaption(Field::SpO2, {});
    m_fields.SetPulseBar(0.0);
    m_fields.SetCaption(Field::Status, lang::Text(m_languageBase, lang::text::kNoSerialData));
    m_fields.SetToolTip(Field::Status, lang::Text(m_languageBase, lang::text::kNoSerialDataTip));
}

}  // namespace trelvo::core
