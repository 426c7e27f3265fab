#include "pageview.h"

#include <platform/components.h>

namespace pageview {

std::unique_ptr<PageView> createPageView(const QStringList &componentFiles)
{
    // The control's DllGetClassObject hands out its view as a PageView pointer.
    void *object = platform::createComponent(QString::fromLatin1(kClassName), componentFiles);
    return std::unique_ptr<PageView>(static_cast<PageView *>(object));
}

} // namespace pageview
