#pragma once

#include <QtGlobal>

namespace platform {

// Ends another process of this program at once, as a page view's render process that no longer
// answers. Never this process itself, nor the system's first. Returns whether it was ended.
bool endProcess(qint64 pid);

// Gives the calling thread the least share of the processors for good, for threads that do only work
// nobody waits for: it then gives way to the window and the pages' render process, without being
// starved.
void lowerThreadPriority();

} // namespace platform
