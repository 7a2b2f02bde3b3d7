#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace trelvo::tools {

// Makes the byte stream a finger oximeter sends: wave samples of a pulse shape at a fixed
// sample rate, the pulse marker and value once per heartbeat, SpO2 and probe status once a
// second, and now and then an extra value. The same seed gives the same stream.
class OximeterStream final {
public:
    struct Options {
        std::uint64_t seed = 1;
        double sampleRate = 100.0;  // wave samples per second
        double spo2 = 97.0;         // mean SpO2 in percent
        double pulse = 72.0;        // mean pulse per minute
    };

    explicit OximeterStream(const Options& options);

    // Appends the bytes of the next sample period: one wave sample, preceded by whatever
    // markers fall due in it.
    void NextPeriod(std::vector<std::uint8_t>& out);

    [[nodiscard]] double SecondsPerPeriod() const noexcept { return 1.0 / m_options.sampleRate; }

private:
    [[nodiscard]] std::uint8_t WaveSample(double phase);

    Options m_options;
    std::mt19937_64 m_random;
    std::uint64_t m_period = 0;
    double m_beatPhase = 1.0;    // 0..1 within the current heartbeat; 1 starts one at once
    double m_beatLength = 1.0;   // seconds of the current heartbeat
    std::uint8_t m_spo2 = 97;
    std::uint8_t m_pulse = 72;
};

}  // namespace trelvo::tools
