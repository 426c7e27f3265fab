#include "links.h"

#include <QDesktopServices>

namespace platform {

bool openLink(const QUrl &url)
{
    const QString scheme = url.scheme();
    const bool web = (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
    const bool mail = scheme == u"mailto" && url.path().contains(u'@');
    if (!url.isValid() || !(web || mail))
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace platform
