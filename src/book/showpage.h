#pragma once

#include "pagetable.h"

#include <QString>

namespace book {

// Steps 1 to 3 of showing page i: cut record i at "##", take field 1 as the page HTML and point its
// pictures into the images folder. Putting the result into the page view is the caller's step.
// i must lie within the page table (else "subscript out of range", 9).
QString preparePage(const PageTable &pages, qsizetype i, QStringView applicationFolder);

} // namespace book
