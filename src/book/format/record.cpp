#include "record.h"

#include "bookformat.h"

#include <algorithm>

namespace book {

QString pageName(QStringView record)
{
    return recordField(record, 0).toString();
}

QString pageHtmlOf(QStringView record)
{
    return recordField(record, 1).toString();
}

bool hasPageHtml(QStringView record)
{
    return record.contains(kFieldSeparator);
}

bool isBlank(QStringView record)
{
    return trimSpaces(record).isEmpty();
}

bool isBlank(QByteArrayView record)
{
    return std::all_of(record.begin(), record.end(), [](char c) { return c == ' '; });
}

bool showsSomething(QByteArrayView record)
{
    if (!record.contains(QByteArrayView(kFieldSeparator.data(), kFieldSeparator.size())))
        return false;
    const QByteArrayView html = recordField(record, 1);
    return std::any_of(html.begin(), html.end(), [](char c) { return c != ' ' && (c < '\t' || c > '\r'); });
}

QStringView trimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace book
