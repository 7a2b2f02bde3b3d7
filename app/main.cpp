// trelvo: desktop companion for a finger pulse oximeter.

#include "app/eingangsfenster.h"
#include "app/form1.h"
#include "app/platform/display_setup.h"
#include "app/platform/perf_trace.h"
#include "app/platform/termination.h"
#include "app/session.h"
#include "app/version.h"
#include "core/program_state.h"

#include <QApplication>
#include <QFont>
#include <QLabel>

#include <memory>

int main(int argc, char* argv[])
{
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

    trelvo::core::ProgramState program;
    std::unique_ptr<trelvo::app::Form1> form;

    trelvo::app::Eingangsfenster start(program);
    QObject::connect(&start, &trelvo::app::Eingangsfenster::Ended, &app, &QCoreApplication::quit);
    trelvo::app::TraceFirstPaint(start, "start-window-shown");
    QObject::connect(&start, &trelvo::app::Eingangsfenster::Confirmed, &app, [&] {
        trelvo::app::PerfTrace("ok-pressed");
        form = std::make_unique<trelvo::app::Form1>(program);
        trelvo::app::TraceFirstPaint(*form, "main-window-shown");
        // Connected after the window's own update, so the field holds the new text then.
        if (trelvo::app::PerfTraceOn())
            QObject::connect(&form->session(), &trelvo::app::Session::Updated, &form->SpO2Field(),
                             trelvo::app::TraceSpO2Field(form->SpO2Field()));
        QObject::connect(form.get(), &trelvo::app::Form1::ProgramEnds, &app, &QCoreApplication::quit);
        form->Form_Load();
        form->show();
    });
    // Logging out or shutting down ends the program like File > End; before OK nothing is written.
    trelvo::app::Termination termination;
    QObject::connect(&termination, &trelvo::app::Termination::Requested, &app, [&] {
        if (form)
            form->close();
        else
            QCoreApplication::quit();
    });

    start.Form_Load();
    start.show();
    return QApplication::exec();
}
