// The fuzzer's seeds and every input it ever crashed on, replayed in the normal test run.

#include "fuzz/report_harness.h"
#include "fuzz/stream_harness.h"
#include "tools/sim/oximeter_stream.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace trelvo::test {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzCorpus, SeedsAndSavedCrashInputsKeepEveryInvariant)
{
    int replayed = 0;
    for (const char* folder : {"seeds", "regressions"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(TRELVO_FUZZ_DIR) / folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().front() == '.')
                continue;
            const std::string input = Contents(entry.path());
            EXPECT_EQ(RunStreamCase(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), "")
                << entry.path();
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 5);
}

// The report's readers: their seeds and every input a fuzzer ever broke them with.
TEST(FuzzCorpus, ReportReadersKeepTheirRulesOnSeedsAndSavedCrashInputs)
{
    int replayed = 0;
    for (const auto& [folders, run] :
         {std::pair{std::array{"seeds-record", "regressions-record"}, &RunRecordFileCase},
          std::pair{std::array{"seeds-per-second", "regressions-per-second"}, &RunPerSecondCase}}) {
        for (const char* folder : folders) {
            const fs::path path = fs::path(TRELVO_FUZZ_DIR) / folder;
            if (!fs::exists(path))
                continue;
            for (const auto& entry : fs::directory_iterator(path)) {
                if (!entry.is_regular_file() || entry.path().filename().string().front() == '.')
                    continue;
                const std::string input = Contents(entry.path());
                EXPECT_EQ(run(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), "") << entry.path();
                ++replayed;
            }
        }
    }
    EXPECT_GE(replayed, 6);
}

// Bad input of the kinds a night can bring, in sizes the fuzzer's short run does not reach.
TEST(FuzzCorpus, LongStreamsOfNoiseMarkersAndSilenceKeepEveryInvariant)
{
    std::mt19937 random(99);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::string noise, markers;
    for (int i = 0; i < 200'000; ++i) {
        noise.push_back(static_cast<char>(anyByte(random)));
        markers.push_back(static_cast<char>(249 + i % 4));  // every value a marker, every marker a value
    }
    for (const std::string* stream : {&noise, &markers}) {
        for (const std::size_t chunk : {1, 17, 64}) {
            std::string steps = StreamAsSteps(*stream, chunk);
            steps.append(300, static_cast<char>(0xDF));  // a long silence after it
            EXPECT_EQ(RunStreamCase(reinterpret_cast<const std::uint8_t*>(steps.data()), steps.size()), "");
        }
    }
}

}  // namespace
}  // namespace trelvo::test
