// The floor under a first listing: a plain single-threaded reader that goes through a folder's
// per-second files in 1 MiB reads, finds each line's end with memchr and reads its first four
// cells, and prints each night's row count, SpO2 mean and minutes under 90 %, then its time. It
// does none of the listing's checks; it is what the disk, the page cache and one core allow.
//   plain_reader <folder> [--quiet]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

struct Tally {
    long rows = 0, valid = 0, sum = 0, under90 = 0;
};

// "2026-12-07T22:30:00+00:00,97,72,ok,…": the time's length checked, SpO2 and pulse as numbers,
// the status's first letter.
void ReadRow(std::string_view row, Tally& tally)
{
    ++tally.rows;
    const char* at = row.data();
    const char* end = at + row.size();
    const char* comma = static_cast<const char*>(std::memchr(at, ',', row.size()));
    if (!comma || comma - at < 20)
        return;
    int cell[2] = {-1, -1};
    at = comma + 1;
    for (int& value : cell) {
        int v = 0, digits = 0;
        while (at < end && *at >= '0' && *at <= '9') {
            v = v * 10 + (*at++ - '0');
            ++digits;
        }
        if (at == end || *at != ',')
            return;
        ++at;
        value = digits ? v : -1;
    }
    if (at < end && *at == 'o' && cell[0] >= 0 && cell[0] <= 100) {
        ++tally.valid;
        tally.sum += cell[0];
        tally.under90 += cell[0] < 90;
    }
}

Tally ReadFile(const std::string& path, std::vector<char>& buffer)
{
    Tally tally;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return tally;
    std::size_t kept = 0;  // a line begun in the read before
    bool header = true;
    while (true) {
        const ssize_t got = ::read(fd, buffer.data() + kept, buffer.size() - kept);
        if (got <= 0)
            break;
        const char* at = buffer.data();
        const char* end = at + kept + static_cast<std::size_t>(got);
        while (const char* nl = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)))) {
            if (!header)
                ReadRow({at, static_cast<std::size_t>(nl - at)}, tally);
            header = false;
            at = nl + 1;
        }
        kept = static_cast<std::size_t>(end - at);
        std::memmove(buffer.data(), at, kept);
        if (kept == buffer.size())
            buffer.resize(buffer.size() * 2);
    }
    ::close(fd);
    return tally;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    const bool quiet = argc > 2 && std::string_view(argv[2]) == "--quiet";
    std::vector<std::string> paths;
    if (DIR* dir = ::opendir(argv[1])) {
        while (const dirent* entry = ::readdir(dir))
            if (std::string_view name = entry->d_name; name.size() > 4 && name.ends_with(".csv"))
                paths.push_back(std::string(argv[1]) + "/" + std::string(name));
        ::closedir(dir);
    }
    std::sort(paths.begin(), paths.end());
    const auto start = std::chrono::steady_clock::now();
    std::vector<char> buffer(1 << 20);
    long rows = 0;
    for (const std::string& path : paths) {
        const Tally t = ReadFile(path, buffer);
        rows += t.rows;
        if (!quiet)
            std::printf("%s\t%ld rows\tSpO2 mean %.1f\tT90 %.1f min\n", path.c_str(), t.rows,
                        t.valid ? static_cast<double>(t.sum) / static_cast<double>(t.valid) : 0.0,
                        static_cast<double>(t.under90) / 60.0);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("read: %zu files, %ld rows, %.3f s\n", paths.size(), rows, seconds);
    return 0;
}
