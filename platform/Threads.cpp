#include "platform/Threads.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace orlim {

bool raiseCurrentThreadPriority()
{
    // On Linux the nice value belongs to the thread, named by its thread id. The
    // step is relative, so a program started with "nice" keeps its distance.
    constexpr int kStep = 5;
    const auto thread = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, thread);
    if (current == -1 && errno != 0)
        return false;
    return setpriority(PRIO_PROCESS, thread, current - kStep) == 0;
}

} // namespace orlim
