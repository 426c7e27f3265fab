#pragma once

#include "pagetable.h"

#include <QStringView>

namespace book {

// The index of the first page whose name equals link, both without leading and trailing spaces and
// without regard to letter case; -1 when no page has that name. A link that is empty once its outer
// spaces are gone names no page, and neither does a record without a name.
qsizetype findPage(const PageTable &pages, QStringView link);

} // namespace book
