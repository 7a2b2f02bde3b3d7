// Decoder throughput. The unit's line carries at most 960 bytes a second.

#include "core/decoder.h"
#include "core/display.h"
#include "tools/sim/oximeter_stream.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace trelvo;

// Does the least a sink can do: counts what it is handed, so nothing is optimised away.
class NullSink final : public core::MeasurementSink {
public:
    void ShowMeasurement() override { ++count; }
    void SoundPulseTone() override { ++count; }
    void DrawWaveSample(std::int16_t s) override { count += static_cast<unsigned>(s); }
    void ShowPulseBar(std::int16_t s) override { count += static_cast<unsigned>(s); }

    unsigned count = 0;
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

// Sink is MeasurementSink for calls through the interface, NullSink for direct calls.
template <class Sink>
void DecodeInChunks(benchmark::State& state, const std::vector<std::uint8_t>& bytes)
{
    core::MeasurementState measurement;
    NullSink nullSink;
    Sink* sink = &nullSink;
    benchmark::DoNotOptimize(sink);  // through the interface, the compiler must not know the type
    core::BasicDecoder<Sink> decoder(measurement, *sink);
    const auto chunk = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        for (std::size_t at = 0; at < bytes.size(); at += chunk)
            decoder.Decode(std::span(bytes).subspan(at, std::min(chunk, bytes.size() - at)));
        benchmark::DoNotOptimize(nullSink.count);
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
void BM_DecodeRealisticStream_Direct(benchmark::State& s) { DecodeInChunks<NullSink>(s, Realistic()); }
void BM_DecodeRealisticStream_Interface(benchmark::State& s) { DecodeInChunks<core::MeasurementSink>(s, Realistic()); }
void BM_DecodeRandomBytes_Direct(benchmark::State& s) { DecodeInChunks<NullSink>(s, Random()); }
void BM_DecodeRandomBytes_Interface(benchmark::State& s) { DecodeInChunks<core::MeasurementSink>(s, Random()); }
BENCHMARK(BM_DecodeRealisticStream_Direct)->Arg(64)->Arg(4096);
BENCHMARK(BM_DecodeRealisticStream_Interface)->Arg(64)->Arg(4096);
BENCHMARK(BM_DecodeRandomBytes_Direct)->Arg(4096);
BENCHMARK(BM_DecodeRandomBytes_Interface)->Arg(4096);

}  // namespace

BENCHMARK_MAIN();
