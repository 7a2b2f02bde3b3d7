#include "core/announcer.h"

namespace trelvo::core {

ProbeState ProbeStateOf(const Reading& shown) noexcept
{
    if (shown.NoData)
        return ProbeState::NoData;
    if (!shown.Unit.Received)
        return ProbeState::Unknown;
    switch (shown.Unit.Status) {
    case 1: return ProbeState::NoProbe;
    case 2: return ProbeState::NoSignal;
    default: return ProbeState::Ok;
    }
}

bool HasValue(const std::string& fieldText) noexcept
{
    return !fieldText.empty() && fieldText.find_first_not_of('-') != std::string::npos;
}

std::optional<Announcer::Tell> Announcer::Next(std::int64_t nowMs, const Reading& shown)
{
    const ProbeState state = ProbeStateOf(shown);
    const bool hadValues = HasValue(m_spo2) || HasValue(m_pulse);
    const bool changed = shown.SpO2Text != m_spo2 || shown.PulseText != m_pulse;
    const bool stateChanged = state != m_state;
    // While the no-data warning is on, a status byte refills the fields until the next tick empties
    // them: those values are told with the alert that ends the warning.
    const bool valuesDue =
        changed && state == ProbeState::Ok && (!hadValues || nowMs - m_valuesToldAt >= kValuesEveryMs);
    if (!stateChanged && !valuesDue)
        return std::nullopt;
    m_state = state;
    m_spo2 = shown.SpO2Text;
    m_pulse = shown.PulseText;
    m_valuesToldAt = nowMs;
    if (stateChanged)
        return Tell::Alert;
    // Values gone (a status byte that blanks them) say nothing new: the state tells why.
    if (!HasValue(m_spo2) && !HasValue(m_pulse))
        return std::nullopt;
    return Tell::Values;
}

}  // namespace trelvo::core
