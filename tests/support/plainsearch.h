#pragma once

// Looking a link up the plain way, record by record: what PageIndex must answer, for the tests, the
// link lookup fuzz target and the lookup benchmark's baseline.

#include "book/pageindex.h"
#include "book/record.h"

#include <QStringView>

namespace support {

// The first page whose name, without its outer spaces, equals the link without its outer spaces,
// ignoring letter case; -1 for none, and for a link of spaces only.
inline qsizetype plainSearch(const book::PageTable &pages, QStringView link)
{
    const QStringView wanted = book::trimSpaces(link);
    if (wanted.isEmpty())
        return -1;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (book::trimSpaces(book::pageNameAt(pages, i)).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace support
