#include "pageview.h"

#include "logging.h"

#include <platform/components.h>

namespace pageview {

std::unique_ptr<PageView> createPageView(const QStringList &componentFiles)
{
    // The control's DllGetClassObject hands out its view as a PageView pointer.
    const QString className = QString::fromLatin1(kClassName);
    void *object = platform::createComponent(className, componentFiles);
    qCDebug(lcPageView) << "the page view comes from" << platform::registeredComponentFile(className);
    return std::unique_ptr<PageView>(static_cast<PageView *>(object));
}

} // namespace pageview
