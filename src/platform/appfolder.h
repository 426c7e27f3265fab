#pragma once

#include <QString>

namespace platform {

// The folder that holds the running program's executable, without a trailing separator; the root
// keeps its "/". Read afresh on each call.
QString applicationFolder();

} // namespace platform
