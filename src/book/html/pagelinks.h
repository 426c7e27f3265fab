#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace book {

// A link of a page: the "href" of an <a> or <area> element, as the page view reports it.
struct PageLink {
    QString href;         // the attribute's value, character references decoded
    qsizetype offset = 0; // where the element begins in the page HTML
};

// The links of a page HTML in document order: the first "href" of every <a> and <area> element,
// double-quoted, single-quoted or unquoted, as a browser reads the attribute. Comments and the
// content of elements that is no markup (<script>, <style>, <title>, <textarea> and the like) hold no
// links, and neither does a tag that the end of the page cuts off. An element without "href" is no
// link; one with an empty "href" is.
std::vector<PageLink> pageLinks(QStringView pageHtml);

} // namespace book
