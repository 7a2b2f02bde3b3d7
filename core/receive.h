#pragma once

#include <cstdint>
#include <vector>

namespace trelvo::core {

// Why the serial component raised its event.
inline constexpr int kCommEventReceive = 2;

// The part of the serial component that the receive handler reads.
class CommInput {
public:
    virtual ~CommInput() = default;

    [[nodiscard]] virtual int CommEvent() const = 0;
    [[nodiscard]] virtual int InBufferCount() const = 0;
    // Every byte waiting in the receive buffer, in arrival order; they leave the buffer.
    [[nodiscard]] virtual std::vector<std::uint8_t> Input() = 0;

protected:
    CommInput() = default;
    CommInput(const CommInput&) = default;
    CommInput& operator=(const CommInput&) = default;
};

// The receive handler: on a receive event, decodes chunks until the buffer is empty, so bytes
// that arrive while one chunk is decoded are taken in the same event. Other events are ignored.
template <class AnyDecoder>
void HandleCommEvent(CommInput& comm, AnyDecoder& decoder)
{
    if (comm.CommEvent() != kCommEventReceive)
        return;
    while (comm.InBufferCount() > 0) {
        std::vector<std::uint8_t> chunk = comm.Input();
        // A count that promises bytes Input() cannot deliver must not turn into an endless loop.
        if (chunk.empty())
            break;
        decoder.DecodeSerialData(chunk);
    }
}

}  // namespace trelvo::core
