// trelvo-sim: a simulated finger oximeter on a pseudo-terminal, paced like the real line.

#include "tools/pty/pseudo_terminal.h"
#include "tools/sim/oximeter_stream.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <thread>
#include <vector>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void RequestStop(int)
{
    g_stop = 1;
}

// 9600 baud, 8 data bits, no parity, 1 stop bit: ten bit times a byte.
constexpr double kLineBytesPerSecond = 960.0;

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trelvo-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated finger oximeter on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Make a symbolic link to the line at <path>."),
                                  QStringLiteral("path"));
    const QCommandLineOption toStdout(QStringLiteral("stdout"), QStringLiteral("Write the bytes to stdout instead."));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the stream (default 1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption rate(QStringLiteral("rate"), QStringLiteral("Wave samples a second (default 100)."),
                                  QStringLiteral("hz"), QStringLiteral("100"));
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Stop after this many seconds of stream (default: run until stopped)."),
                                     QStringLiteral("s"), QStringLiteral("0"));
    const QCommandLineOption unpaced(QStringLiteral("unpaced"), QStringLiteral("With --stdout: write as fast as possible."));
    parser.addOptions({link, toStdout, seed, rate, seconds, unpaced});
    parser.process(app);

    if (parser.isSet(link) == parser.isSet(toStdout)) {
        std::fprintf(stderr, "trelvo-sim: give either --link <path> or --stdout\n");
        return 2;
    }

    trelvo::tools::OximeterStream::Options options;
    bool ok = true;
    options.seed = parser.value(seed).toULongLong(&ok);
    if (ok)
        options.sampleRate = parser.value(rate).toDouble(&ok);
    if (!ok || options.sampleRate <= 0.0 || options.sampleRate > kLineBytesPerSecond) {
        std::fprintf(stderr, "trelvo-sim: --seed takes a whole number, --rate a number from 1 to 960\n");
        return 2;
    }
    const double duration = parser.value(seconds).toDouble();

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        std::unique_ptr<trelvo::tools::PseudoTerminal> line;
        if (parser.isSet(link)) {
            line = std::make_unique<trelvo::tools::PseudoTerminal>(parser.value(link).toStdString());
            std::fprintf(stderr, "trelvo-sim: streaming on %s (link %s)\n", line->SlavePath().c_str(),
                         line->LinkPath().c_str());
        }
        const bool paced = !(parser.isSet(toStdout) && parser.isSet(unpaced));

        trelvo::tools::OximeterStream stream(options);
        std::vector<std::uint8_t> bytes;
        const auto start = std::chrono::steady_clock::now();
        double streamSeconds = 0.0;
        double lineSeconds = 0.0;  // when the line is free again
        while (!g_stop && (duration <= 0.0 || streamSeconds < duration)) {
            bytes.clear();
            stream.NextPeriod(bytes);
            streamSeconds += stream.SecondsPerPeriod();
            lineSeconds = std::max(lineSeconds + static_cast<double>(bytes.size()) / kLineBytesPerSecond, streamSeconds);
            if (line) {
                line->Write(bytes);
            } else if (!WriteAll(STDOUT_FILENO, bytes)) {
                break;
            }
            if (paced)
                std::this_thread::sleep_until(start + std::chrono::duration<double>(lineSeconds));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trelvo-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
