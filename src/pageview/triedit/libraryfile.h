#pragma once

#include "triedit_global.h"

#include <QString>

namespace triedit {

// The absolute path of the loaded library or program that holds address, as it was loaded; empty
// if address lies in none. A component file uses it to register itself under its own name.
TRIEDIT_EXPORT QString libraryFile(const void *address);

} // namespace triedit
