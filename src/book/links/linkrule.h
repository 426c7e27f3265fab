#pragma once

#include "pageindex.h"

#include <QString>
#include <QStringView>
#include <QUrl>

namespace book {

// Where a link leads, by the one rule that the reader, the page view and the book check share.
enum class LinkKind {
    None,          // no link: the click met no "href", or an empty one
    Page,          // names a page: the whole link, or a "file" link from its eighth character on
    PageWithPlace, // NAME#PLACE whose whole text names no page but whose NAME does
    InPage,        // "#PLACE" naming no page: a place in the page shown, which the page view scrolls to
    Web,           // its first four characters, without outer blanks, are exactly "http" or "HTTP"
    Mail,          // "mailto:" (any case) with an address, naming no page
    Other,         // names no page and is none of the above
};

struct LinkTarget {
    LinkKind kind = LinkKind::None;
    qsizetype page = -1; // Page, PageWithPlace: the index of the page
    QString place;       // PageWithPlace, InPage: the id or name of the element, as written
    QUrl url;            // Web: the address when it is one (http or https with a host), else empty;
                         // Mail: the mailto: address
};

// Reads href as the page writes it. Page names are found as PageIndex finds them: the first page of
// that name, letter case and outer spaces aside. A page whose name holds "#" is found by the whole
// link before the link is read as NAME#PLACE. A link that names no page is read as a browser reads a
// URL, without the blanks and control characters around it: " https://x.org " is a web link.
LinkTarget resolveLink(QStringView href, const PageIndex &pages);

// href without what a browser drops around a URL: spaces and control characters (up to U+0020).
QStringView withoutOuterBlanks(QStringView href);

// The web address that a link beginning with "http" stands for: a URL of scheme http or https with a
// host, blanks around it aside; empty for anything else ("httpx://h", "http:file:///x", "http").
// What a browser mends in an address, it mends too: "%_" is read as "%25_", a space as "%20".
QUrl webAddress(QStringView href);

// The address outside the book that a reader's click on a link to url opens: a web address (http or
// https with a host) or a mail address ("mailto:" with an address); empty for anything else. The
// band, a click and "Copy link address" go by it alike, for the link as the page view resolved it.
QUrl outsideAddress(QStringView url);

// The address of the page named name in the book read as a site, which its relative URLs resolve
// against: its name as the path from the root, "\" read as "/" as a browser reads it.
QUrl pageAddress(QStringView name);

// The scheme a link begins with, in lower case and without its ":", as "ftp" for "ftp://host/";
// empty when it has none. One letter before ":" is a drive ("C:\"), not a scheme.
QString linkScheme(QStringView href);

} // namespace book
