#pragma once

#include <QtGlobal>

namespace platform {

// Ends another process of this program at once, as a page view's render process that no longer
// answers. Never this process itself, nor the system's first. Returns whether it was ended.
bool endProcess(qint64 pid);

} // namespace platform
