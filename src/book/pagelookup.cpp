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
        if (trimSpaces(pageNameAt(pages, i)).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString pageNameAt(const PageTable &pages, qsizetype i)
{
    const QByteArrayView record = pages.recordBytes(i);
    const qsizetype end = record.indexOf(QByteArrayView("##"));
    return platform::decodeCodePage(end < 0 ? record : record.first(end));
}

} // namespace book
