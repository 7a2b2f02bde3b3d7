#include "app/platform/perf_trace.h"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QLabel>

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
    if (n > 0) [[maybe_unused]]
        const ssize_t written = ::write(g_trace, line, static_cast<std::size_t>(n));
}

namespace {

// Notes a widget's paints: the first only, or every one with the value its text shows.
class PaintNote final : public QObject {
public:
    PaintNote(QObject* parent, const char* event, bool everyPaint)
        : QObject(parent),
          m_event(event),
          m_every(everyPaint)
    {
    }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::Paint)
            return false;
        const auto* label = qobject_cast<const QLabel*>(watched);
        PerfTrace(m_event, label ? label->text().toLong() : 0);
        if (!m_every)
            watched->removeEventFilter(this);
        return false;
    }

private:
    const char* m_event;
    bool m_every;
};

}  // namespace

void TraceEventLoop()
{
    if (PerfTraceOn())
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                         [] { PerfTrace("sleep"); });
}

void TraceFirstPaint(QWidget& window, const char* event)
{
    if (PerfTraceOn())
        window.installEventFilter(new PaintNote(&window, event, false));
}

std::function<void()> TraceSpO2Field(QLabel& field)
{
    field.installEventFilter(new PaintNote(&field, "spo2-paint", true));
    return [&field, shown = field.text()]() mutable {
        if (field.text() != shown) {
            shown = field.text();
            PerfTrace("spo2-text", shown.toLong());
        }
    };
}

}  // namespace trelvo::app
