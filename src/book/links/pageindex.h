#pragma once

#include "book/pagetable.h"

#include <QHash>
#include <QString>
#include <QStringView>

namespace book {

// The page name of record i, decoding nothing of the record's HTML.
QString pageNameAt(const PageTable &pages, qsizetype i);

// The page names of a page table, looked up in time that does not grow with the number of pages: a
// link finds the first page whose name, without its outer spaces, equals the link without its outer
// spaces, ignoring letter case. A link that is empty once its outer spaces are gone names no page,
// and neither does a record without a name.
class PageIndex {
public:
    // Reads every page name once; the HTML of the records is not decoded.
    explicit PageIndex(const PageTable &pages);

    qsizetype find(QStringView link) const;

private:
    // Keyed by the name without outer spaces, case-folded; the value is the first page of that name.
    QHash<QString, qsizetype> firstPage_;
};

} // namespace book
