// trelvo-sim: a simulated finger oximeter on a pseudo-terminal, paced like the real line.

#include "tools/cli/command_line.h"
#include "tools/pty/pseudo_terminal.h"
#include "tools/sim/oximeter_stream.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

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

// Where the bytes come from: a scenario, or a file played over and over.
class Source {
public:
    virtual ~Source() = default;
    // Appends the next bytes; returns the stream time they stand for, in seconds.
    virtual double Next(std::vector<std::uint8_t>& out) = 0;
};

class ScenarioSource final : public Source {
public:
    explicit ScenarioSource(const trelvo::tools::OximeterStream::Options& options) : m_stream(options) {}
    double Next(std::vector<std::uint8_t>& out) override
    {
        m_stream.NextPeriod(out);
        return m_stream.SecondsPerPeriod();
    }

private:
    trelvo::tools::OximeterStream m_stream;
};

class ReplaySource final : public Source {
public:
    explicit ReplaySource(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    double Next(std::vector<std::uint8_t>& out) override
    {
        out.push_back(static_cast<std::uint8_t>(m_bytes.at(m_at)));
        m_at = (m_at + 1) % m_bytes.size();
        return 1.0 / kLineBytesPerSecond;
    }

private:
    QByteArray m_bytes;
    qsizetype m_at = 0;
};

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trelvo-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRELVO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated finger oximeter. It streams the unit's protocol on a pseudo-terminal, paced like a "
        "9600-baud line, until stopped.\n\nScenarios: normal, desaturation, no-finger, no-probe, silence, noise.\n\n"
        "Exit status: 0 stopped as asked (or after --seconds); 1 the line could not be made or written; 2 the "
        "command line was refused."));
    const QCommandLineOption link(
        QStringLiteral("link"), QStringLiteral("Make a symbolic link to the line at <path> (point a COM port at it)."),
        QStringLiteral("path"));
    const QCommandLineOption toStdout(QStringLiteral("stdout"), QStringLiteral("Write the bytes to stdout instead."));
    const QCommandLineOption scenario(QStringLiteral("scenario"),
                                      QStringLiteral("What the unit does (default normal)."), QStringLiteral("name"),
                                      QStringLiteral("normal"));
    const QCommandLineOption replay(QStringLiteral("replay"),
                                    QStringLiteral("Send the bytes of <file> at line rate, over and over."),
                                    QStringLiteral("file"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the stream (default 1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption rate(QStringLiteral("rate"), QStringLiteral("Wave samples a second (default 100)."),
                                  QStringLiteral("hz"), QStringLiteral("100"));
    const QCommandLineOption fullRate(QStringLiteral("full-rate"),
                                      QStringLiteral("Fill the line: 960 bytes a second, whatever the sample rate."));
    const QCommandLineOption seconds(
        QStringLiteral("seconds"),
        QStringLiteral("Stop after this many seconds of stream (default: run until stopped)."), QStringLiteral("s"),
        QStringLiteral("0"));
    const QCommandLineOption unpaced(QStringLiteral("unpaced"),
                                     QStringLiteral("With --stdout: write as fast as possible."));
    parser.addOptions({link, toStdout, scenario, replay, seed, rate, fullRate, seconds, unpaced});
    if (const auto status = trelvo::tools::ParseCommandLine(parser, QCoreApplication::arguments()))
        return *status;

    const auto fail = [](const char* message) {
        std::fprintf(stderr, "trelvo-sim: %s\n", message);
        return 2;
    };
    if (parser.isSet(link) == parser.isSet(toStdout))
        return fail("give either --link <path> or --stdout");

    trelvo::tools::OximeterStream::Options options;
    bool ok = true;
    options.seed = parser.value(seed).toULongLong(&ok);
    if (!ok)
        return fail("--seed takes a whole number");
    options.sampleRate = parser.value(rate).toDouble(&ok);
    if (!ok || options.sampleRate < 1.0 || options.sampleRate > kLineBytesPerSecond)
        return fail("--rate takes a number from 1 to 960");
    const auto chosen = trelvo::tools::ParseScenario(parser.value(scenario).toStdString());
    if (!chosen)
        return fail("unknown --scenario; see --help");
    options.scenario = *chosen;
    const double duration = parser.value(seconds).toDouble(&ok);
    if (!ok || duration < 0.0)
        return fail("--seconds takes a number of seconds");

    std::unique_ptr<Source> source;
    if (parser.isSet(replay)) {
        QFile file(parser.value(replay));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "trelvo-sim: cannot read %s: %s\n", qPrintable(file.fileName()),
                         qPrintable(file.errorString()));
            return 2;
        }
        QByteArray bytes = file.readAll();
        if (bytes.isEmpty())
            return fail("the replay file is empty");
        source = std::make_unique<ReplaySource>(std::move(bytes));
    } else {
        source = std::make_unique<ScenarioSource>(options);
    }

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
        const bool fill = parser.isSet(fullRate);

        std::vector<std::uint8_t> bytes;
        const auto start = std::chrono::steady_clock::now();
        double streamSeconds = 0.0;
        double lineSeconds = 0.0;  // when the line has sent everything so far
        while (!g_stop && (duration <= 0.0 || streamSeconds < duration)) {
            bytes.clear();
            const double period = source->Next(bytes);
            streamSeconds += period;
            // The line never carries more than 960 bytes a second; at full rate it carries no less.
            lineSeconds += static_cast<double>(bytes.size()) / kLineBytesPerSecond;
            if (!fill)
                lineSeconds = std::max(lineSeconds, streamSeconds);
            if (line)
                line->Write(bytes);
            else if (!WriteAll(STDOUT_FILENO, bytes))
                break;
            if (paced && (fill ? lineSeconds : streamSeconds) > 0.0)
                std::this_thread::sleep_until(start + std::chrono::duration<double>(lineSeconds));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trelvo-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
