#include "urlscheme.h"
#include "pageview.h"

#include <QWebEngineUrlScheme>

namespace pageview {

void registerUrlScheme()
{
    QWebEngineUrlScheme scheme(kUrlScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Secure, and not local: the engine treats a page of a local scheme as a file, whose origin is
    // "null" and whose pushState may change only the query and fragment. As an ordinary scheme the
    // book is one origin (tavlo://book), as a site on a web server is, and its pages share their
    // storage and history. Local files stay out of its pages' reach: only a local scheme may load
    // them, and the view's request interceptor lets nothing but this scheme through anyway.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

} // namespace pageview
