#pragma once

#include <cstdint>

namespace trelvo::core {

// The last values the unit sent. Zero when the main window is created.
struct MeasurementState {
    std::uint8_t SpO2Value = 0;
    std::uint8_t PulseValue = 0;   // 255: the unit has no pulse value
    std::uint8_t ProbeStatus = 0;  // 0 measuring, 1 no probe, 2 no finger / no signal
    std::uint8_t NoDataTicks = 0;  // watchdog ticks since the last SpO2 marker
};

inline constexpr std::uint8_t kNoPulseValue = 255;

// The effects the decoder triggers. The main window implements them; tests record them.
class MeasurementSink {
public:
    virtual ~MeasurementSink() = default;

    // A status byte has just been stored in ProbeStatus.
    virtual void ShowMeasurement() = 0;
    // A pulse byte has just been stored in PulseValue; may block for the length of a tone.
    virtual void SoundPulseTone() = 0;
    // Every wave sample (0..247).
    virtual void DrawWaveSample(std::int16_t sample) = 0;
    // Every fourth byte position that carries a wave sample.
    virtual void ShowPulseBar(std::int16_t sample) = 0;

protected:
    MeasurementSink() = default;
    MeasurementSink(const MeasurementSink&) = default;
    MeasurementSink& operator=(const MeasurementSink&) = default;
};

}  // namespace trelvo::core
