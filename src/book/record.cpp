#include "record.h"

#include <algorithm>

namespace book {
namespace {

constexpr QStringView kFieldSeparator = u"##";

// Field index of record, or an empty view when the record has no such field.
QStringView field(QStringView record, int index)
{
    qsizetype start = 0;
    for (int i = 0; i < index; ++i) {
        const qsizetype separator = record.indexOf(kFieldSeparator, start);
        if (separator < 0)
            return {};
        start = separator + kFieldSeparator.size();
    }
    const qsizetype end = record.indexOf(kFieldSeparator, start);
    return end < 0 ? record.sliced(start) : record.sliced(start, end - start);
}

} // namespace

QStringList cutFields(QStringView record)
{
    // An empty record has no fields at all, not one empty field.
    QStringList fields;
    if (record.isEmpty())
        return fields;
    for (const QStringView piece : record.split(kFieldSeparator, Qt::KeepEmptyParts))
        fields.append(piece.toString());
    return fields;
}

QString pageName(QStringView record)
{
    return field(record, 0).toString();
}

QString pageHtmlOf(QStringView record)
{
    return field(record, 1).toString();
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
