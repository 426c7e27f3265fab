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

} // namespace book
