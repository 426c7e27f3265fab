#include "blockingwait.h"

#include <QApplication>
#include <QTimer>

namespace platform {

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
    const bool modalWindow =
        qobject_cast<QApplication *>(QCoreApplication::instance()) && QApplication::activeModalWidget();
    loop_.exec(modalWindow ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return finished_;
}

} // namespace platform
