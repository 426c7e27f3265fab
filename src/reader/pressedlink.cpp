#include "pressedlink.h"

#include "logging.h"

namespace reader {
namespace {

// The same address, as the page view and the link rule each write it: a web address without a path
// has the path "/".
bool sameAddress(const QUrl &a, const QUrl &b)
{
    const auto normal = [](QUrl url) {
        url = url.adjusted(QUrl::NormalizePathSegments);
        if (url.path().isEmpty() && (url.scheme() == u"http" || url.scheme() == u"https"))
            url.setPath(QStringLiteral("/"));
        return url;
    };
    return normal(a) == normal(b);
}

} // namespace

bool wasShownAtPress(const QUrl &url, const std::optional<QString> &shown)
{
    if (!shown || sameAddress(QUrl(*shown), url))
        return true;
    qCWarning(lcReader).noquote() << "a link was clicked whose target is not the one shown under the pointer:"
                                  << url.toDisplayString();
    return false;
}

} // namespace reader
