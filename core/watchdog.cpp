#include "core/watchdog.h"

#include "lang/string_table.h"

namespace trelvo::core {

void NoDataWatchdog::Tick()
{
    std::uint8_t& ticks = m_measurement.NoDataTicks;
    if (ticks < kTickLimit)
        ++ticks;

    m_reading.NoData = ticks > kQuietTicksAllowed;
    if (!m_reading.NoData) {
        m_reading.PulseBack = SystemColour::WindowBackground;
        m_reading.SpO2Back = SystemColour::WindowBackground;
        return;
    }

    m_blinkCounter = m_blinkCounter < kBlinkCycle ? m_blinkCounter + 1 : 0;
    const Colour back = (m_blinkCounter % 2 != 0) ? Colour(kAlertBackColor) : Colour(SystemColour::WindowBackground);
    m_reading.PulseBack = back;
    m_reading.SpO2Back = back;
    m_reading.PulseText.clear();
    m_reading.SpO2Text.clear();
    m_reading.Bar = 0;
    m_reading.StatusText = lang::Text(m_languageBase, lang::text::kNoSerialData);
    m_reading.StatusTip = lang::Text(m_languageBase, lang::text::kNoSerialDataTip);
}

}  // namespace trelvo::core
