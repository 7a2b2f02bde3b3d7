// Decoder throughput. The unit's line carries at most 960 bytes a second.

#include "core/decoder.h"
#include "core/pipeline.h"
#include "tools/sim/oximeter_stream.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace trelvo;

// Does the least a sink can do: counts what it is handed, so nothing is optimised away.
class NullSink final {
public:
    void ShowMeasurement() { ++count; }
    void SoundPulseTone() { ++count; }
    void DrawWaveSample(std::int16_t s) { count += static_cast<unsigned>(s); }
    void ShowPulseBar(std::int16_t s) { count += static_cast<unsigned>(s); }

    unsigned count = 0;
};

class NoTone final : public core::ToneOutput {
public:
    void Beep(std::int32_t, std::int32_t) override {}
};

std::vector<std::uint8_t> RealisticStream(std::size_t bytes)
{
    tools::OximeterStream stream({.seed = 42});
    std::vector<std::uint8_t> out;
    while (out.size() < bytes)
        stream.NextPeriod(out);
    out.resize(bytes);
    return out;
}

std::vector<std::uint8_t> RandomBytes(std::size_t bytes)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::vector<std::uint8_t> out(bytes);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(anyByte(random));
    return out;
}

// The decoder alone, every effect a counter.
void DecodeInChunks(benchmark::State& state, const std::vector<std::uint8_t>& bytes)
{
    core::MeasurementState measurement;
    NullSink sink;
    core::BasicDecoder<NullSink> decoder(measurement, sink);
    const auto chunk = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        for (std::size_t at = 0; at < bytes.size(); at += chunk)
            decoder.Decode(std::span(bytes).subspan(at, std::min(chunk, bytes.size() - at)));
        benchmark::DoNotOptimize(sink.count);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}

// The program's pipeline: decoder, display rules, trace steps, tone selection and bar. The trace
// steps are taken once per chunk, as the window takes them once per batch.
void DecodeThroughThePipeline(benchmark::State& state, const std::vector<std::uint8_t>& bytes)
{
    const std::int16_t language = 1000;
    NoTone tone;
    core::MeasurementPipeline pipeline(language, tone);
    const auto chunk = static_cast<std::size_t>(state.range(0));
    std::size_t steps = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at < bytes.size(); at += chunk) {
            pipeline.Decode(std::span(bytes).subspan(at, std::min(chunk, bytes.size() - at)), 0);
            steps += pipeline.Trace().PendingSteps().size();
            pipeline.Trace().ClearPendingSteps();
        }
        benchmark::DoNotOptimize(steps);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}

const std::vector<std::uint8_t>& Realistic()
{
    static const auto bytes = RealisticStream(1 << 20);
    return bytes;
}

const std::vector<std::uint8_t>& Random()
{
    static const auto bytes = RandomBytes(1 << 20);
    return bytes;
}

// The argument is the chunk size: the line hands over a few bytes at a time.
void BM_DecodeRealisticStream(benchmark::State& s)
{
    DecodeInChunks(s, Realistic());
}
void BM_DecodeRandomBytes(benchmark::State& s)
{
    DecodeInChunks(s, Random());
}
void BM_PipelineRealisticStream(benchmark::State& s)
{
    DecodeThroughThePipeline(s, Realistic());
}
void BM_PipelineRandomBytes(benchmark::State& s)
{
    DecodeThroughThePipeline(s, Random());
}
BENCHMARK(BM_DecodeRealisticStream)->Arg(64)->Arg(4096);
BENCHMARK(BM_DecodeRandomBytes)->Arg(4096);
BENCHMARK(BM_PipelineRealisticStream)->Arg(64)->Arg(4096);
BENCHMARK(BM_PipelineRandomBytes)->Arg(4096);

}  // namespace

BENCHMARK_MAIN();
