#include "pagetable.h"

#include "platform/failure.h"

namespace book {

PageTable::PageTable(QByteArray text, std::vector<TextSpan> records, TextForm form, std::shared_ptr<const void> owner)
    : owner_(std::move(owner)), text_(std::move(text)), records_(std::move(records)), form_(form)
{
}

QByteArrayView PageTable::recordBytes(qsizetype i) const
{
    if (i < 0 || i >= size())
        throw platform::Failure(
            platform::error::SubscriptOutOfRange,
            QStringLiteral("Subscript out of range: the book has no page %1; it has %2 pages").arg(i).arg(size()));
    const TextSpan &span = records_[size_t(i)];
    return QByteArrayView(text_).sliced(span.offset, span.length);
}

QString PageTable::record(qsizetype i) const
{
    return decode(recordBytes(i));
}

} // namespace book
