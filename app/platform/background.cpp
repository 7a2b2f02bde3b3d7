#include "app/platform/background.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace trelvo::app {

void YieldToTheDisplay()
{
    // On Linux the nice value is a thread's own; failing to lower it costs only the display's
    // margin, so a failure is ignored.
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
}

}  // namespace trelvo::app
