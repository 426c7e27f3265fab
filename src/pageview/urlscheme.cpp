#include "urlscheme.h"
#include "pageview.h"

#include <QWebEngineUrlScheme>

namespace pageview {

void registerUrlScheme()
{
    QWebEngineUrlScheme scheme(kUrlScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Local, so that web content can't refer to it; a local page needs LocalAccessAllowed to load its
    // own pictures. The view's request interceptor keeps it from anything else local.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                    QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

} // namespace pageview
