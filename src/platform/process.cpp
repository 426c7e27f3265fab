#include "process.h"

#include <csignal>
#include <unistd.h>

namespace platform {

bool endProcess(qint64 pid)
{
    if (pid <= 1 || pid == qint64(::getpid()))
        return false;
    return ::kill(pid_t(pid), SIGKILL) == 0;
}

} // namespace platform
