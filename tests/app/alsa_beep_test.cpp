// The real audio path without a sound card: ALSA's default device is pointed at its file plugin
// over a null device (an .asoundrc in a HOME of this process's own), and what was played is read
// back from the file.

#include "app/platform/alsa_beep.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace trelvo::app {
namespace {

namespace fs = std::filesystem;

fs::path g_capture;

std::vector<std::int16_t> Captured()
{
    std::ifstream in(g_capture, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                               (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

// Frequency from the first and last upward zero crossing, interpolated between samples.
double Frequency(const std::vector<std::int16_t>& s, double sampleRate)
{
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i - 1] < 0 && s[i] >= 0) {
            const double t = static_cast<double>(i - 1) + static_cast<double>(-s[i - 1]) / (s[i] - s[i - 1]);
            if (first < 0)
                first = t;
            last = t;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * sampleRate / (last - first) : 0.0;
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// One device for several tones, as in the program. ALSA's file plugin writes what it buffered
// when the device closes, so the tones are read back afterwards, one after the other.
TEST(AlsaBeep, PlaysTheAskedTonesForTheirDurationAndReturnsOnTime)
{
    fs::resize_file(g_capture, 0);
    const std::vector<int> frequencies{440, 1175, 1328};
    {
        AlsaBeep beep;
        for (const int frequency : frequencies) {
            const auto start = std::chrono::steady_clock::now();
            beep.Beep(frequency, 50);
            const double blocked = Milliseconds(std::chrono::steady_clock::now() - start);
            EXPECT_GE(blocked, 50.0) << frequency << " Hz";
            EXPECT_LT(blocked, 150.0) << frequency << " Hz";
            std::printf("%d Hz: Beep returned after %.2f ms\n", frequency, blocked);
        }
    }

    const std::vector<std::int16_t> played = Captured();
    const std::size_t perTone = AlsaBeep::kSampleRate * 50 / 1000;
    ASSERT_EQ(played.size(), perTone * frequencies.size()) << "each tone 50 ms long";
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const std::vector<std::int16_t> tone(played.begin() + static_cast<std::ptrdiff_t>(i * perTone),
                                             played.begin() + static_cast<std::ptrdiff_t>((i + 1) * perTone));
        // Between the fades: near silence there, rounding makes crossings of its own.
        const auto fade = static_cast<std::ptrdiff_t>(AlsaBeep::kSampleRate * AlsaBeep::kFadeMilliseconds / 1000);
        const double measured =
            Frequency(std::vector<std::int16_t>(tone.begin() + fade, tone.end() - fade), AlsaBeep::kSampleRate);
        EXPECT_NEAR(measured, frequencies[i], frequencies[i] * 0.02);
        std::printf("%d Hz: %.1f ms played at %.2f Hz\n", frequencies[i],
                    1000.0 * static_cast<double>(tone.size()) / AlsaBeep::kSampleRate, measured);
    }
}

TEST(AlsaBeep, TheToneFadesInAndOutWithoutAClick)
{
    fs::resize_file(g_capture, 0);
    AlsaBeep().Beep(1000, 50);  // closed at once: the capture is complete
    const std::vector<std::int16_t> played = Captured();
    ASSERT_GT(played.size(), 100u);
    EXPECT_LT(std::abs(played.front()), 50);
    EXPECT_LT(std::abs(played.back()), 50);
    int loudest = 0;
    for (const std::int16_t s : played)
        loudest = std::max(loudest, std::abs(static_cast<int>(s)));
    EXPECT_GT(loudest, 10000) << "audible";
}

TEST(AlsaBeep, WithoutADeviceItWaitsForTheDurationInSilence)
{
    AlsaBeep beep("no_such_device_here");
    const auto start = std::chrono::steady_clock::now();
    beep.Beep(440, 50);
    beep.Beep(440, 50);
    const double blocked = Milliseconds(std::chrono::steady_clock::now() - start);
    EXPECT_GE(blocked, 100.0);
    EXPECT_LT(blocked, 250.0);
}

}  // namespace
}  // namespace trelvo::app

int main(int argc, char* argv[])
{
    namespace fs = std::filesystem;
    // Before the first ALSA call of the process: ALSA reads its configuration once.
    const fs::path home = fs::temp_directory_path() / ("trelvo-alsa-" + std::to_string(::getpid()));
    fs::create_directories(home);
    trelvo::app::g_capture = home / "played.raw";
    std::ofstream(trelvo::app::g_capture).close();
    std::ofstream(home / ".asoundrc") << "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \""
                                      << trelvo::app::g_capture.string() << "\"\n  format \"raw\"\n}\n";
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("ALSA_CONFIG_PATH");

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    fs::remove_all(home);
    return result;
}
