#pragma once

#include "core/measurement.h"

#include <array>
#include <cstdint>

namespace trelvo::core {

// Pitches of the pulse tone: 440 Hz at an SpO2 of 80 or less, one step higher for each further
// percent. A fixed list; the last entry is 1328, not a semitone above 1244.
inline constexpr std::array<std::int16_t, 20> ToneTable{
    440, 466, 494, 523, 554, 587, 622, 659, 698, 740, 784, 831, 880, 932, 988, 1046, 1109, 1175, 1244, 1328,
};

inline constexpr std::int32_t kPulseToneMilliseconds = 50;

// Sounds a tone and returns when it has ended.
class ToneOutput {
public:
    virtual ~ToneOutput() = default;
    virtual void Beep(std::int32_t frequency, std::int32_t milliseconds) = 0;
    // The tone has been switched on: get the device ready now, so that the first tone takes no
    // longer than its duration.
    virtual void Prepare() {}

protected:
    ToneOutput() = default;
    ToneOutput(const ToneOutput&) = default;
    ToneOutput& operator=(const ToneOutput&) = default;
};

// Clamps the frequency to 37..32767 Hz and sounds it, rounded half to even.
void PlayTone(ToneOutput& output, double frequency, std::int32_t milliseconds);

// The pulse tone: a short beep on every pulse value, its pitch following SpO2. Off at start.
class PulseTone final {
public:
    PulseTone(const MeasurementState& measurement, ToneOutput& output) noexcept
        : m_measurement(measurement),
          m_output(output)
    {
    }

    // After each pulse byte.
    void SoundPulseTone();

    // Switches the tone on or off.
    void Toggle() { SetOn(!m_on); }
    void SetOn(bool on)
    {
        if (on && !m_on)
            m_output.Prepare();
        m_on = on;
    }
    [[nodiscard]] bool On() const noexcept { return m_on; }

    // The table entry for an SpO2, or -1 where no tone sounds (above 100). 100 itself sounds the
    // last entry.
    [[nodiscard]] static int ToneIndex(std::uint8_t spo2) noexcept;

private:
    bool m_on = false;
    const MeasurementState& m_measurement;
    ToneOutput& m_output;
};

}  // namespace trelvo::core
