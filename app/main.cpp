// trelvo: desktop companion for a finger pulse oximeter.

#include "app/command_line.h"
#include "app/platform/display_setup.h"
#include "app/platform/perf_trace.h"
#include "app/platform/termination.h"
#include "app/program.h"
#include "app/version.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    // Answered without a display.
    if (const std::optional<int> status = trelvo::app::AnswerCommandLine(argc, argv, stdout))
        return *status;
    trelvo::app::PrepareDisplay();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("trelvo"));
    QApplication::setApplicationVersion(QString::fromLatin1(trelvo::kVersion));
    // The windows are laid out for Arial; Liberation Sans has the same metrics.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    // The program ends where its windows say so, not when the start window closes before the
    // main window is shown.
    QApplication::setQuitOnLastWindowClosed(false);

    trelvo::app::TraceEventLoop();

    trelvo::app::Program program;
    QObject::connect(&program, &trelvo::app::Program::Ended, &app, &QCoreApplication::quit);
    // Logging out or shutting down ends the program like File > End; before OK nothing is written.
    trelvo::app::Termination termination;
    QObject::connect(&termination, &trelvo::app::Termination::Requested, &program, &trelvo::app::Program::End);

    program.Start();
    return QApplication::exec();
}
