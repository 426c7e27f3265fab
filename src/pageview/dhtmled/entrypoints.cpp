// The entry points through which the program registers this file and creates its page view.
#include "htmleditcontrol.h"

#include <platform/components.h>
#include <triedit/libraryfile.h>

#include <QApplication>

#include <cstring>

namespace {

// An address inside this file. Not the entry point's own: both component files export one of that
// name, and which of them a reference finds depends on the order of loading.
const char kThisFile = 0;

} // namespace

// Records this file, wherever it was loaded from, as the provider of the page view's class.
// 0 on success.
extern "C" Q_DECL_EXPORT int DllRegisterServer()
{
    const QString file = triedit::libraryFile(&kThisFile);
    const QString className = QString::fromLatin1(pageview::kClassName);
    if (file.isEmpty())
        return 1;
    platform::registerComponent(className, file);
    return platform::registeredComponentFile(className) == file ? 0 : 1;
}

// A new page view, as a pageview::PageView pointer that the caller owns; null for any other class,
// or when there is no application object to show it.
extern "C" Q_DECL_EXPORT void *DllGetClassObject(const char *className)
{
    if (!className || std::strcmp(className, pageview::kClassName) != 0 ||
        !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    pageview::PageView *view = new HtmlEditControl;
    return view;
}
