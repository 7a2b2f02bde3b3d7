#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

namespace trelvo::tools {

enum class Scenario {
    Normal,        // steady SpO2 and pulse
    Desaturation,  // every three minutes SpO2 falls by about 11 points for a minute, then recovers
    NoFinger,      // probe status 2: no finger in the probe, no pulse, a flat wave
    NoProbe,       // probe status 1: no probe on the unit
    Silence,       // the unit sends nothing
    Noise,         // random bytes of every value, as from a wrong baud rate or a bad cable
};

[[nodiscard]] std::optional<Scenario> ParseScenario(std::string_view name);

// Makes the byte stream a finger oximeter sends: wave samples of a pulse shape at a fixed
// sample rate, the pulse marker and value once per heartbeat, SpO2 and probe status once a
// second, and now and then an extra value. The same seed gives the same stream.
class OximeterStream final {
public:
    struct Options {
        std::uint64_t seed = 1;
        Scenario scenario = Scenario::Normal;
        double sampleRate = 100.0;             // wave samples per second
        double spo2 = 97.0;                    // SpO2 in percent between events
        double pulse = 72.0;                   // pulse per minute between events
        std::vector<double>* beats = nullptr;  // when given: the start of every heartbeat, in seconds
    };

    explicit OximeterStream(const Options& options);

    // Appends the bytes of the next sample period: one wave sample, preceded by whatever
    // markers fall due in it (nothing in silence, random bytes in noise).
    void NextPeriod(std::vector<std::uint8_t>& out);

    [[nodiscard]] double SecondsPerPeriod() const noexcept { return 1.0 / m_options.sampleRate; }

private:
    [[nodiscard]] double Seconds() const noexcept { return static_cast<double>(m_period) * SecondsPerPeriod(); }
    [[nodiscard]] double SpO2Target() const noexcept;
    [[nodiscard]] std::uint8_t WaveSample(double phase);
    void Measuring(std::vector<std::uint8_t>& out, bool newSecond);
    void ProbeFault(std::vector<std::uint8_t>& out, bool newSecond, std::uint8_t status);

    Options m_options;
    std::mt19937_64 m_random;
    std::uint64_t m_period = 0;
    std::uint64_t m_periodsPerSecond = 100;
    double m_beatPhase = 1.0;   // 0..1 within the current heartbeat; 1 starts one at once
    double m_beatLength = 1.0;  // seconds of the current heartbeat
};

}  // namespace trelvo::tools
