// libFuzzer entry: any byte stream, in any chunking, with ticks and switches in between, must keep
// every invariant of the measurement core.

#include "stream_harness.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken = trelvo::test::RunStreamCase(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "broken invariant: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
