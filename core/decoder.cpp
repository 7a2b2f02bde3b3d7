#include "core/decoder.h"

namespace trelvo::core {

void Decoder::DecodeSerialData(std::vector<std::uint8_t>& buffer)
{
    Decode(buffer);
    buffer.clear();
}

void Decoder::Decode(std::span<const std::uint8_t> bytes)
{
    for (const std::uint8_t b : bytes)
        DecodeByte(b);
}

void Decoder::DecodeByte(std::uint8_t b)
{
    DecoderState& s = m_state;

    // Value stage: a pending value takes the byte, whatever its value.
    if (s.ExtraPending) {
        s.ExtraPending = false;
    } else if (s.StatusPending) {
        m_measurement.ProbeStatus = b;
        m_sink.ShowMeasurement();
        s.StatusPending = false;
    } else if (s.PulsePending) {
        m_measurement.PulseValue = b;
        m_sink.SoundPulseTone();
        s.PulsePending = false;
    } else if (s.SpO2Pending) {
        // Shown only with the next status byte.
        m_measurement.SpO2Value = b;
        s.SpO2Pending = false;
    } else if (b < marker::kFirst) {
        const auto sample = static_cast<std::int16_t>(b);
        m_sink.DrawWaveSample(sample);
        // Tested before counting: the bar gets the 5th byte after start, then every 4th.
        if (s.BarCounter > 3) {
            s.BarCounter = 0;
            m_sink.ShowPulseBar(sample);
        }
    }

    if (s.BarCounter < kBarCounterLimit)
        ++s.BarCounter;

    // Marker stage, also for a byte just taken as a value: an SpO2 of 250 arms the pulse value.
    switch (b) {
    case marker::kSpO2:
        m_measurement.NoDataTicks = 0;
        s.SpO2Pending = true;
        break;
    case marker::kPulse:
        s.PulsePending = true;
        break;
    case marker::kStatus:
        s.StatusPending = true;
        break;
    case marker::kExtra:
        s.ExtraPending = true;
        break;
    default:
        break;
    }
}

}  // namespace trelvo::core
