// The entry points through which the program registers this file.
#include "libraryfile.h"

#include <platform/components.h>

namespace {

constexpr char kClassName[] = "TriEdit.TriEditDocument";

// An address inside this file. Not the entry point's own: the control exports one of the same name,
// which takes its place wherever the control loaded this library.
const char kThisFile = 0;

} // namespace

// Records this file, wherever it was loaded from, as the provider of its class. 0 on success.
extern "C" Q_DECL_EXPORT int DllRegisterServer()
{
    const QString file = triedit::libraryFile(&kThisFile);
    const QString className = QString::fromLatin1(kClassName);
    if (file.isEmpty())
        return 1;
    platform::registerComponent(className, file);
    return platform::registeredComponentFile(className) == file ? 0 : 1;
}
