// The entry points through which the program registers this file and creates its page view.
#include "htmleditcontrol.h"

#include <platform/components.h>
#include <triedit/libraryfile.h>

#include <QApplication>
#include <QWidget>

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

// A new page view, a child of parent (the window that shows it), whose pageview::PageView interface
// the caller reaches by qobject_cast; null for any other class, without a window to show it in, or
// without an application object.
extern "C" Q_DECL_EXPORT QObject *DllGetClassObject(const char *className, QObject *parent)
{
    auto *window = qobject_cast<QWidget *>(parent);
    if (!className || std::strcmp(className, pageview::kClassName) != 0 || !window ||
        !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    return new HtmlEditControl(window);
}
