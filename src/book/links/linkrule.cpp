#include "linkrule.h"

#include "book/record.h"

namespace book {

QUrl webAddress(QStringView href)
{
    const QString text = href.trimmed().toString();
    if (!text.startsWith(u"http://", Qt::CaseInsensitive) && !text.startsWith(u"https://", Qt::CaseInsensitive))
        return {};
    QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != u"http" && url.scheme() != u"https"))
        return {};
    return url;
}

QString linkScheme(QStringView href)
{
    href = href.trimmed();
    for (qsizetype i = 0; i < href.size(); ++i) {
        const char16_t c = href[i].unicode();
        if (c == u':')
            return i >= 2 ? href.first(i).toString().toLower() : QString();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!letter && (i == 0 || !((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.')))
            return {};
    }
    return {};
}

namespace {

QUrl mailAddress(QStringView link)
{
    if (!link.startsWith(u"mailto:", Qt::CaseInsensitive))
        return {};
    QUrl url(link.trimmed().toString(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != u"mailto" || !url.path().contains(u'@'))
        return {};
    return url;
}

} // namespace

QUrl outsideAddress(QStringView url)
{
    if (QUrl web = webAddress(url); !web.isEmpty())
        return web;
    return mailAddress(withoutOuterBlanks(url));
}

QStringView withoutOuterBlanks(QStringView href)
{
    while (!href.isEmpty() && href.front().unicode() <= u' ')
        href = href.sliced(1);
    while (!href.isEmpty() && href.back().unicode() <= u' ')
        href.chop(1);
    return href;
}

LinkTarget resolveLink(QStringView href, const PageIndex &pages)
{
    if (href.isEmpty())
        return {};
    // The first four characters as written; with a blank among them they can't be "http", "HTTP" or
    // "file".
    const QStringView prefix = href.first(std::min<qsizetype>(4, href.size()));
    if (prefix == u"http" || prefix == u"HTTP")
        return {LinkKind::Web, -1, {}, webAddress(href)};

    const QStringView link = prefix == u"file" ? href.sliced(std::min<qsizetype>(7, href.size())) : href;
    if (const qsizetype page = pages.find(link); page >= 0)
        return {LinkKind::Page, page, {}, {}};
    if (href.startsWith(u'#'))
        return {LinkKind::InPage, -1, href.sliced(1).toString(), {}};
    // The place begins at the first "#" after the page name, as a URL's fragment does; a name that
    // holds "#" itself is found by the last one.
    for (const qsizetype hash : {link.indexOf(u'#', 1), link.lastIndexOf(u'#')}) {
        if (hash <= 0)
            continue;
        if (const qsizetype page = pages.find(link.first(hash)); page >= 0)
            return {LinkKind::PageWithPlace, page, link.sliced(hash + 1).toString(), {}};
    }
    // A link that names no page as written is read as a browser reads a URL, without the blanks and
    // control characters around it: " https://x.org" is a web link, " #top" a place in the page.
    if (const QStringView bare = withoutOuterBlanks(href); bare.size() != href.size())
        return resolveLink(bare, pages);
    if (QUrl mail = mailAddress(link); !mail.isEmpty())
        return {LinkKind::Mail, -1, {}, std::move(mail)};
    return {LinkKind::Other, -1, {}, {}};
}

QUrl pageAddress(QStringView name)
{
    QUrl url;
    url.setPath(u'/' + trimSpaces(name).toString().replace(u'\\', u'/'), QUrl::DecodedMode);
    return url;
}

} // namespace book
