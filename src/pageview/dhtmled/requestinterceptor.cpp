#include "requestinterceptor.h"

#include "logging.h"

#include <pageview/urlscheme.h>

void RequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const QString scheme = info.requestUrl().scheme();
    // data: and blob: hold what the page itself carries.
    if (scheme == QLatin1String(pageview::kUrlScheme) || scheme == u"data" || scheme == u"blob")
        return;
    qCDebug(lcDhtmlEd) << "blocked:" << info.requestUrl();
    info.block(true);
}
