// libFuzzer entry: any bytes as a record file must be read without a crash, every unreadable line
// listed, and every figure the report draws from them consistent.

#include "report_harness.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken = trelvo::test::RunRecordFileCase(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "broken rule: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
