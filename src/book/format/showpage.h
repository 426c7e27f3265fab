#pragma once

#include "pagetable.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace book {

// Points the pictures of pageHtml into the images folder, as parsingImage() does. A page whose
// rewriting can't finish within its bounds ("out of string space", 14) is shown as the book holds
// it, pictures unrewritten, rather than not at all: pageHtml is then left as written and the
// failure's description returned. Other failures reach the caller.
std::optional<QString> pointPicturesOrKeep(QString &pageHtml, QStringView applicationFolder);

// Page i as the reader shows it: record i cut at "##", field 1 taken as the page HTML and its
// pictures pointed into the images folder as pointPicturesOrKeep() does. Putting html into the page
// view is the caller's step. i must lie within the page table (else "subscript out of range", 9).
struct PreparedPage {
    QString html;
    // Why the pictures are left as written, when they are.
    std::optional<QString> asWrittenBecause;
};
PreparedPage preparePage(const PageTable &pages, qsizetype i, QStringView applicationFolder);

} // namespace book
