#include "app/perf_trace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace trelvo::app {
namespace {

int OpenTrace() noexcept
{
    const char* path = std::getenv("TRELVO_TRACE");
    return path && *path ? ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
}

const int g_trace = OpenTrace();

}  // namespace

bool PerfTraceOn() noexcept
{
    return g_trace >= 0;
}

void PerfTrace(const char* event, long value) noexcept
{
    if (g_trace < 0)
        return;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    char line[128];
    const int n = std::snprintf(line, sizeof line, "%lld %s %ld\n",
                                static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec, event, value);
    if (n > 0)
        [[maybe_unused]] const ssize_t written = ::write(g_trace, line, static_cast<std::size_t>(n));
}

}  // namespace trelvo::app
