#include "core/decoder.h"
#include "core/receive.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

#include <deque>

namespace trelvo::core {
namespace {

// A serial component whose buffer the test fills chunk by chunk.
class FakeComm final : public CommInput {
public:
    [[nodiscard]] int CommEvent() const override { return event; }
    [[nodiscard]] int InBufferCount() const override
    {
        return claimedCount >= 0 ? claimedCount : static_cast<int>(chunks.empty() ? 0 : chunks.front().size());
    }
    std::vector<std::uint8_t> Input() override
    {
        ++inputCalls;
        if (chunks.empty())
            return {};
        auto chunk = std::move(chunks.front());
        chunks.pop_front();
        return chunk;
    }

    int event = kCommEventReceive;
    int claimedCount = -1;  // >= 0: a count that does not match the buffer
    int inputCalls = 0;
    std::deque<std::vector<std::uint8_t>> chunks;
};

class ReceiveTest : public ::testing::Test {
protected:
    MeasurementState state;
    test::RecordingSink sink{state};
    Decoder decoder{state, sink};
    FakeComm comm;
};

TEST_F(ReceiveTest, EventsOtherThanReceiveAreIgnored)
{
    comm.chunks.push_back({1, 2, 3});
    for (const int event : {0, 1, 3, 1008})
    {
        comm.event = event;
        HandleCommEvent(comm, decoder);
    }
    EXPECT_EQ(comm.inputCalls, 0);
    EXPECT_TRUE(sink.effects.empty());
}

TEST_F(ReceiveTest, OneEventDecodesEveryChunkThatArrivesMeanwhile)
{
    comm.chunks.push_back({249});
    comm.chunks.push_back({97, 251});
    comm.chunks.push_back({0, 5});
    HandleCommEvent(comm, decoder);
    EXPECT_TRUE(comm.chunks.empty());
    EXPECT_EQ(state.SpO2Value, 97);
    EXPECT_EQ(sink.Count(test::Effect::ShowMeasurement), 1u);
    EXPECT_EQ(sink.Samples(test::Effect::DrawWaveSample), (std::vector<std::int16_t>{5}));
}

TEST_F(ReceiveTest, ACountWithNothingBehindItDoesNotLoopForever)
{
    comm.claimedCount = 5;
    HandleCommEvent(comm, decoder);
    EXPECT_EQ(comm.inputCalls, 1);
}

}  // namespace
}  // namespace trelvo::core
