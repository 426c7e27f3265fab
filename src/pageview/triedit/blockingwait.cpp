#include "blockingwait.h"

#include <QTimer>

namespace triedit {

void BlockingWait::finish()
{
    finished_ = true;
    loop_.quit();
}

bool BlockingWait::wait(std::chrono::milliseconds timeout)
{
    if (finished_)
        return true;
    QTimer timer;
    timer.setSingleShot(true);
    timer.callOnTimeout(&loop_, &QEventLoop::quit);
    timer.start(timeout);
    loop_.exec(QEventLoop::ExcludeUserInputEvents);
    return finished_;
}

} // namespace triedit
