#include "tools/cli/command_line.h"

#include <QCoreApplication>

#include <cstdio>

namespace trelvo::tools {

std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments)
{
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QString name = QCoreApplication::applicationName();
    if (!parser.parse(arguments)) {
        QString error = parser.errorText();
        if (error.endsWith(QLatin1Char('.')))
            error.chop(1);
        std::fprintf(stderr, "%s: %s; see %s --help\n", qPrintable(name), qPrintable(error), qPrintable(name));
        return kRefused;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return kAllWritten;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(name), qPrintable(QCoreApplication::applicationVersion()));
        return kAllWritten;
    }
    return std::nullopt;
}

}  // namespace trelvo::tools
