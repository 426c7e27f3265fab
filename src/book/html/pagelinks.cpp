#include "pagelinks.h"

#include "htmlreading.h"

#include <optional>

namespace book {
namespace {

// Collects the links of a page: the tags of <a> and <area> elements are read again for their "href".
struct LinkReader {
    const char16_t *begin;
    std::vector<PageLink> links;

    void text(const char16_t *, const char16_t *) {}
    void character(char32_t) {}
    void endTag(html::Element) {}
    bool done() const { return false; }

    void startTag(const char16_t *tagBegin, const char16_t *tagEnd, html::Element element)
    {
        if (element != html::Element::A && element != html::Element::Area)
            return;
        std::optional<QString> href;
        html::readAttributes(
            html::markupAt(tagBegin, tagEnd).end, tagEnd,
            [&](const char16_t *nameBegin, const char16_t *nameEnd, const char16_t *valueBegin,
                const char16_t *valueEnd) {
                // Of two attributes of the same name, the first counts.
                if (!href && QStringView(nameBegin, nameEnd).compare(u"href", Qt::CaseInsensitive) == 0)
                    href = html::decodeAttributeValue(valueBegin ? QStringView(valueBegin, valueEnd) : QStringView());
            });
        if (href)
            links.push_back({*href, tagBegin - begin});
    }
};

} // namespace

std::vector<PageLink> pageLinks(QStringView html)
{
    LinkReader reader{html.utf16(), {}};
    html::readHtml(html.utf16(), html.utf16() + html.size(), reader);
    return std::move(reader.links);
}

} // namespace book
