#include "tools/sim/oximeter_stream.h"

#include <algorithm>
#include <cmath>

namespace trelvo::tools {
namespace {

constexpr std::uint8_t kSpO2Marker = 249;
constexpr std::uint8_t kPulseMarker = 250;
constexpr std::uint8_t kStatusMarker = 251;
constexpr std::uint8_t kExtraMarker = 252;

std::uint8_t ClampToByte(double v, double lo, double hi)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, lo, hi)));
}

}  // namespace

OximeterStream::OximeterStream(const Options& options) : m_options(options), m_random(options.seed)
{
    m_spo2 = ClampToByte(m_options.spo2, 0, 100);
    m_pulse = ClampToByte(m_options.pulse, 1, 254);
    m_beatLength = 60.0 / m_pulse;
}

std::uint8_t OximeterStream::WaveSample(double phase)
{
    // A steep systolic rise, a slower fall and a dicrotic wave, plus a little noise.
    const auto bump = [](double x, double centre, double width) {
        const double d = (x - centre) / width;
        return std::exp(-d * d);
    };
    const double shape = bump(phase, 0.18, 0.07) + 0.35 * bump(phase, 0.45, 0.09);
    std::normal_distribution<double> noise(0.0, 1.5);
    return ClampToByte(40.0 + 160.0 * shape + noise(m_random), 0, 247);
}

void OximeterStream::NextPeriod(std::vector<std::uint8_t>& out)
{
    const auto periodsPerSecond = static_cast<std::uint64_t>(std::max(1.0, std::round(m_options.sampleRate)));
    const double dt = SecondsPerPeriod();

    m_beatPhase += dt / m_beatLength;
    if (m_beatPhase >= 1.0) {
        m_beatPhase -= 1.0;
        // A new heartbeat: the unit reports the pulse it counts.
        std::normal_distribution<double> wander(0.0, 1.0);
        m_pulse = ClampToByte(m_options.pulse + 2.0 * wander(m_random), 1, 254);
        m_beatLength = 60.0 / m_pulse;
        out.push_back(kPulseMarker);
        out.push_back(m_pulse);
    }

    if (m_period % periodsPerSecond == 0) {
        std::normal_distribution<double> wander(0.0, 0.6);
        m_spo2 = ClampToByte(m_options.spo2 + wander(m_random), 0, 100);
        out.push_back(kSpO2Marker);
        out.push_back(m_spo2);
        out.push_back(kStatusMarker);
        out.push_back(0);
    }

    if (m_period % (5 * periodsPerSecond) == periodsPerSecond / 2) {
        std::uniform_int_distribution<int> extra(0, 255);
        out.push_back(kExtraMarker);
        out.push_back(static_cast<std::uint8_t>(extra(m_random)));
    }

    out.push_back(WaveSample(m_beatPhase));
    ++m_period;
}

}  // namespace trelvo::tools
