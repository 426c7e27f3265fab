#pragma once

#include "pagetable.h"

#include <QStringView>

namespace book {

// The index of the first page whose name equals link, both without leading and trailing spaces and
// without regard to letter case; -1 when no page has that name. A link that is empty once its outer
// spaces are gone names no page, and neither does a record without a name.
// This is the plain search, record by record; PageIndex answers the same without the walk.
qsizetype findPage(const PageTable &pages, QStringView link);

// The page name of record i, decoding nothing of the record's HTML.
QString pageNameAt(const PageTable &pages, qsizetype i);

} // namespace book
