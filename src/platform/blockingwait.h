#pragma once

#include <QEventLoop>
#include <QObject>

#include <chrono>

class QWidget;

namespace platform {

// Marks window as one that takes the user's input while the program waits, as a modal window would,
// without keeping the other windows from being closed, as a modal window does.
void takeInputWhileWaiting(QWidget *window);

// Waits the way a blocking call would, for an asynchronous operation (of the web engine, say) or a
// time: the user's input is held back until the wait ends, while the windows keep repainting and
// other events are handled. Only while a modal window stands, or a window marked with
// takeInputWhileWaiting() (a progress window with its Cancel), does the user's input go through; the
// windows behind such a window then hold back their own. The thread sleeps in a local event loop
// until an event comes; it never polls. This is the program's one way of waiting inside a command.
class BlockingWait final : public QObject {
    Q_OBJECT

public:
    BlockingWait() = default;

    // Ends the wait; a later wait() then returns at once.
    void finish();

    // Returns true when finish() was called, false when timeout passed first.
    bool wait(std::chrono::milliseconds timeout);

private:
    QEventLoop loop_;
    bool finished_ = false;
};

} // namespace platform
