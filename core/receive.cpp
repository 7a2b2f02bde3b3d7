#include "core/receive.h"

#include "core/decoder.h"

namespace trelvo::core {

void HandleCommEvent(CommInput& comm, Decoder& decoder)
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
