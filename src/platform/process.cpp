#include "process.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

bool endProcess(qint64 pid)
{
    if (pid <= 1 || pid == qint64(::getpid()))
        return false;
    return ::kill(pid_t(pid), SIGKILL) == 0;
}

void lowerThreadPriority()
{
    // Linux gives each thread a niceness of its own.
    ::setpriority(PRIO_PROCESS, id_t(::gettid()), 19);
}

} // namespace platform
