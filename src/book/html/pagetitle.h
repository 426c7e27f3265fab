#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace book {

// The title a page gives itself, for lists of pages: the text of its <title>, else of its first
// heading (<h1> to <h6>), with character references decoded and white space collapsed to single
// spaces; empty when it has neither, or only white space in them. Reads the page HTML (in the book's
// code page, or decoded) only as far as the first title or heading, and keeps at most
// kLongestPageTitle characters.
inline constexpr qsizetype kLongestPageTitle = 300;
QString pageTitle(QByteArrayView pageHtml);
QString pageTitle(QStringView pageHtml);

} // namespace book
