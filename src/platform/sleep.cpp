#include "sleep.h"

#include "blockingwait.h"

#include <QCoreApplication>

#include <thread>

namespace platform {

void sleep(int milliseconds)
{
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    BlockingWait().wait(std::chrono::milliseconds(milliseconds));
}

} // namespace platform
