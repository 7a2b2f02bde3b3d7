// Lists a folder of nights as the nights window does and prints how long it took, twice: with an
// empty summary cache and with the one the first listing filled. --again: only from the cache as
// it is, five times (the cache's own cost).
//   list_nights <folder> <cache file> [--again]

#include "report/library/folder.h"
#include "report/library/summary_cache.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]), cachePath = QString::fromLocal8Bit(argv[2]);
    const bool againOnly = argc > 3 && std::strcmp(argv[3], "--again") == 0;
    if (!againOnly)
        QFile::remove(cachePath);
    const std::vector<const char*> runs =
        againOnly ? std::vector{"again", "again", "again", "again", "again"} : std::vector{"first", "again"};
    for (const char* which : runs) {
        QElapsedTimer timer;
        timer.start();
        trelvo::report::SummaryCache cache(cachePath);
        const auto listing = trelvo::report::ListFolder(folder, &cache, {});
        std::printf("%s: %zu nights, %zu unreadable, %.2f s\n", which, listing.nights.size(), listing.unreadable.size(),
                    static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.0f MB\n", static_cast<double>(usage.ru_maxrss) / 1024);
    return 0;
}
