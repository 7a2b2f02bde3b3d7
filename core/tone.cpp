#include "core/tone.h"

#include "core/rounding.h"

#include <algorithm>

namespace trelvo::core {

void PlayTone(ToneOutput& output, double frequency, std::int32_t milliseconds)
{
    const double clamped = std::clamp(frequency, 37.0, 32767.0);
    output.Beep(static_cast<std::int32_t>(RoundHalfToEven(clamped)), milliseconds);
}

int PulseTone::ToneIndex(std::uint8_t spo2) noexcept
{
    if (spo2 > 100)
        return -1;
    if (spo2 <= 80)
        return 0;
    // 81 → 1 … 99 → 19; 100 would be one past the table and sounds its last entry.
    return std::min(spo2 - 80, static_cast<int>(ToneTable.size()) - 1);
}

void PulseTone::SoundPulseTone()
{
    if (!m_on || m_measurement.PulseValue == 0)
        return;
    const int index = ToneIndex(m_measurement.SpO2Value);
    if (index < 0)
        return;
    PlayTone(m_output, ToneTable[static_cast<std::size_t>(index)], kPulseToneMilliseconds);
}

}  // namespace trelvo::core
