#include "pageindex.h"

#include "book/bookformat.h"
#include "book/record.h"

namespace book {

QString pageNameAt(const PageTable &pages, qsizetype i)
{
    return pages.decode(recordField(pages.recordBytes(i), 0));
}

PageIndex::PageIndex(const PageTable &pages)
{
    firstPage_.reserve(pages.size());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QString name = trimSpaces(pageNameAt(pages, i)).toString().toCaseFolded();
        // A later page of the same name can't be reached by a link.
        if (!name.isEmpty() && !firstPage_.contains(name))
            firstPage_.insert(name, i);
    }
}

qsizetype PageIndex::find(QStringView link) const
{
    const QString key = trimSpaces(link).toString().toCaseFolded();
    if (key.isEmpty())
        return -1;
    return firstPage_.value(key, -1);
}

} // namespace book
