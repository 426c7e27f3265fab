#pragma once

#include "triedit_global.h"

#include <QEventLoop>
#include <QObject>

#include <chrono>

namespace triedit {

// Waits for an asynchronous operation of the web engine the way a blocking call would: the user's
// input is held back until the wait ends, while the windows keep repainting and the engine's own
// events are handled. The thread sleeps in a local event loop until an event comes; it never polls.
class TRIEDIT_EXPORT BlockingWait final : public QObject {
    Q_OBJECT

public:
    BlockingWait() = default;

    // Ends the wait; a later wait() then returns at once.
    void finish();
    bool isFinished() const noexcept { return finished_; }

    // Returns true when finish() was called, false when timeout passed first.
    bool wait(std::chrono::milliseconds timeout);

private:
    QEventLoop loop_;
    bool finished_ = false;
};

} // namespace triedit
