#include "blockingwait.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace platform {
namespace {

constexpr char kTakesInput[] = "tavloTakesInputWhileWaiting";

// Whether a window stands that takes the user's input during a wait.
bool inputWindowStands()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    if (QApplication::activeModalWidget())
        return true;
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](const QWidget *w) { return w->isVisible() && w->property(kTakesInput).toBool(); });
}

} // namespace

void takeInputWhileWaiting(QWidget *window)
{
    window->setProperty(kTakesInput, true);
}

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
    loop_.exec(inputWindowStands() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return finished_;
}

} // namespace platform
