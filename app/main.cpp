// trelvo: desktop companion for a finger pulse oximeter.

#include "app/display_setup.h"
#include "app/eingangsfenster.h"
#include "app/form1.h"
#include "app/perf_trace.h"
#include "app/termination.h"
#include "app/version.h"
#include "core/program_state.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFont>

#include <QEvent>

#include <memory>

namespace {

// For the performance trace: notes when a window is first painted.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(const char* event) : m_event(event) {}
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            trelvo::app::PerfTrace(m_event);
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    const char* m_event;
};

}  // namespace

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

    // For the performance trace: every time the event loop wakes from its sleep.
    if (trelvo::app::PerfTraceOn())
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                         [] { trelvo::app::PerfTrace("sleep"); });

    trelvo::core::ProgramState program;
    std::unique_ptr<trelvo::app::Form1> form;

    trelvo::app::Eingangsfenster start(program);
    QObject::connect(&start, &trelvo::app::Eingangsfenster::Ended, &app, &QCoreApplication::quit);
    FirstPaint startShown("start-window-shown");
    FirstPaint mainShown("main-window-shown");
    if (trelvo::app::PerfTraceOn())
        start.installEventFilter(&startShown);
    QObject::connect(&start, &trelvo::app::Eingangsfenster::Confirmed, &app, [&] {
        trelvo::app::PerfTrace("ok-pressed");
        form = std::make_unique<trelvo::app::Form1>(program);
        if (trelvo::app::PerfTraceOn())
            form->installEventFilter(&mainShown);
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
