#include "tools/sim/oximeter_stream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace trelvo::tools {
namespace {

constexpr std::uint8_t kSpO2Marker = 249;
constexpr std::uint8_t kPulseMarker = 250;
constexpr std::uint8_t kStatusMarker = 251;
constexpr std::uint8_t kExtraMarker = 252;
// What the unit sends for SpO2 and pulse while it has no reading.
constexpr std::uint8_t kNoSpO2 = 127;
constexpr std::uint8_t kNoPulse = 255;
constexpr double kLineBytesPerSecond = 960.0;

std::uint8_t ClampToByte(double v, double lo, double hi)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, lo, hi)));
}

}  // namespace

std::optional<Scenario> ParseScenario(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, Scenario>, 6> kNames{{
        {"normal", Scenario::Normal},
        {"desaturation", Scenario::Desaturation},
        {"no-finger", Scenario::NoFinger},
        {"no-probe", Scenario::NoProbe},
        {"silence", Scenario::Silence},
        {"noise", Scenario::Noise},
    }};
    for (const auto& [n, s] : kNames)
        if (n == name)
            return s;
    return std::nullopt;
}

OximeterStream::OximeterStream(const Options& options)
    : m_options(options),
      m_random(options.seed),
      m_periodsPerSecond(static_cast<std::uint64_t>(std::max(1.0, std::round(options.sampleRate))))
{
}

double OximeterStream::SpO2Target() const noexcept
{
    if (m_options.scenario != Scenario::Desaturation)
        return m_options.spo2;
    // A three-minute cycle: 90 s steady, 20 s falling, 20 s low, 20 s recovering, 30 s steady.
    constexpr double kDrop = 11.0;
    const double t = std::fmod(Seconds(), 180.0);
    if (t < 90.0 || t >= 150.0)
        return m_options.spo2;
    if (t < 110.0)
        return m_options.spo2 - kDrop * (t - 90.0) / 20.0;
    if (t < 130.0)
        return m_options.spo2 - kDrop;
    return m_options.spo2 - kDrop * (150.0 - t) / 20.0;
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

void OximeterStream::Measuring(std::vector<std::uint8_t>& out, bool newSecond)
{
    m_beatPhase += SecondsPerPeriod() / m_beatLength;
    if (m_beatPhase >= 1.0) {
        m_beatPhase -= 1.0;
        if (m_options.beats)
            m_options.beats->push_back(Seconds());
        // A new heartbeat: the unit reports the pulse it counts; the heart speeds up a little
        // while the saturation is low.
        std::normal_distribution<double> wander(0.0, 1.0);
        const double extra = 0.8 * (m_options.spo2 - SpO2Target());
        const std::uint8_t pulse = ClampToByte(m_options.pulse + extra + 2.0 * wander(m_random), 1, 254);
        m_beatLength = 60.0 / pulse;
        out.push_back(kPulseMarker);
        out.push_back(pulse);
    }
    if (newSecond) {
        std::normal_distribution<double> wander(0.0, 0.4);
        out.push_back(kSpO2Marker);
        out.push_back(ClampToByte(SpO2Target() + wander(m_random), 0, 100));
        out.push_back(kStatusMarker);
        out.push_back(0);
    }
    out.push_back(WaveSample(m_beatPhase));
}

void OximeterStream::ProbeFault(std::vector<std::uint8_t>& out, bool newSecond, std::uint8_t status)
{
    if (newSecond) {
        out.insert(out.end(), {kSpO2Marker, kNoSpO2, kPulseMarker, kNoPulse, kStatusMarker, status});
    }
    std::normal_distribution<double> noise(128.0, 2.0);
    out.push_back(ClampToByte(noise(m_random), 0, 247));
}

void OximeterStream::NextPeriod(std::vector<std::uint8_t>& out)
{
    const bool newSecond = m_period % m_periodsPerSecond == 0;
    switch (m_options.scenario) {
    case Scenario::Normal:
    case Scenario::Desaturation: Measuring(out, newSecond); break;
    case Scenario::NoFinger: ProbeFault(out, newSecond, 2); break;
    case Scenario::NoProbe: ProbeFault(out, newSecond, 1); break;
    case Scenario::Silence: break;
    case Scenario::Noise: {
        std::uniform_int_distribution<int> anyByte(0, 255);
        const auto count =
            std::max<std::uint64_t>(1, static_cast<std::uint64_t>(kLineBytesPerSecond) / m_periodsPerSecond);
        for (std::uint64_t i = 0; i < count; ++i)
            out.push_back(static_cast<std::uint8_t>(anyByte(m_random)));
        break;
    }
    }

    // Now and then a value nobody shows.
    if (newSecond && m_options.scenario != Scenario::Silence && m_options.scenario != Scenario::Noise &&
        (m_period / m_periodsPerSecond) % 5 == 2) {
        std::uniform_int_distribution<int> extra(0, 255);
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(out.size() - 1),
                   {kExtraMarker, static_cast<std::uint8_t>(extra(m_random))});
    }
    ++m_period;
}

}  // namespace trelvo::tools
