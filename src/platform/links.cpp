#include "links.h"

#include "logging.h"

#include <QDesktopServices>

namespace platform {

bool openLink(const QUrl &url)
{
    const QString scheme = url.scheme();
    const bool web = (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
    const bool mail = scheme == u"mailto" && url.path().contains(u'@');
    if (!url.isValid() || !(web || mail)) {
        qCDebug(lcPlatform) << "not a web or mail link; not opened:" << url;
        return false;
    }
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened)
        qCWarning(lcPlatform) << "no program took the link" << url;
    return opened;
}

} // namespace platform
