#include "pagelookup.h"

#include "record.h"

#include <platform/codepage.h>

namespace book {

qsizetype findPage(const PageTable &pages, QStringView link)
{
    const QStringView wanted = trimSpaces(link);
    if (wanted.isEmpty())
        return -1;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        // Only the page name is decoded: a record's HTML may be large and is not needed here.
        const QByteArrayView record = pages.recordBytes(i);
        const qsizetype end = record.indexOf(QByteArrayView("##"));
        const QString name = platform::decodeCodePage(end < 0 ? record : record.first(end));
        if (trimSpaces(name).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace book
