#pragma once

#include "pagetable.h"

#include <QHash>
#include <QString>
#include <QStringView>

namespace book {

// The page names of a page table, looked up in time that does not grow with the number of pages.
// It answers exactly as findPage(): the first page whose name, without its outer spaces, equals the
// link without its outer spaces, ignoring letter case.
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
