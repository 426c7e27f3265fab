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

// Where the reader takes a link when it is clicked.
enum class LinkKind {
    Web,    // first four characters, without outer spaces, exactly "http" or "HTTP": the page view's
    InPage, // begins with "#": a place in the shown page, which the page view scrolls to
    Mail,   // begins with "mailto:" in any case
    Page,   // anything else: looked up among the page names
};

struct LinkTarget {
    LinkKind kind = LinkKind::Page;
    QString pageName; // for Page: what is compared with the page names (see findPage)
};

// A "file" link (its first four characters, without outer spaces, exactly "file") names a page from
// its eighth character on, that is without "file://".
LinkTarget linkTarget(QStringView href);

} // namespace book
