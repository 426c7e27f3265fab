#include "pagelinks.h"

#include "htmlscan.h"
#include "record.h"

namespace book {

std::vector<PageLink> pageLinks(QStringView html)
{
    std::vector<PageLink> links;
    HtmlScanner scanner(html);
    HtmlToken token;
    while (scanner.next(token)) {
        if (token.kind != HtmlToken::StartTag || !(token.is(u"a") || token.is(u"area")))
            continue;
        if (const HtmlAttribute *href = token.attribute(u"href"))
            links.push_back({href->value(), token.begin});
    }
    return links;
}

LinkTarget linkTarget(QStringView href)
{
    const QStringView prefix = trimSpaces(href.first(std::min<qsizetype>(4, href.size())));
    if (prefix == u"http" || prefix == u"HTTP")
        return {LinkKind::Web, {}};
    if (href.startsWith(u'#'))
        return {LinkKind::InPage, {}};
    if (href.startsWith(u"mailto:", Qt::CaseInsensitive))
        return {LinkKind::Mail, {}};
    if (prefix == u"file")
        return {LinkKind::Page, href.mid(7).toString()};
    return {LinkKind::Page, href.toString()};
}

} // namespace book
