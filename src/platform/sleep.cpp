#include "sleep.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <thread>

namespace platform {

void sleep(int milliseconds)
{
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    // A modal window that stands meanwhile (a progress window with its Cancel) takes its input; the
    // toolkit keeps that input from every other window.
    const bool modalWindow = qobject_cast<QApplication *>(QCoreApplication::instance()) &&
                             QApplication::activeModalWidget();
    loop.exec(modalWindow ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

} // namespace platform
