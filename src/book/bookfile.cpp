#include "bookfile.h"

#include "logging.h"
#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/hostpath.h"

#include <QFileInfo>

#include <cstring>

namespace book {
namespace {

constexpr QByteArrayView kSectionSeparator = "<<$$>>";
constexpr char kRecordSeparator = '~';

[[noreturn]] void failBook(int number, const QString &fileName, const QString &defect)
{
    throw platform::Failure(number, QStringLiteral("the book file \"%1\" %2").arg(fileName, defect));
}

// The file's path on this machine for the descriptions of failures, or the name as given when it has
// no place here.
QString shownName(const QString &fileName)
{
    const QString path = platform::toHostPath(fileName);
    return path.isEmpty() ? fileName : QFileInfo(path).absoluteFilePath();
}

// The first "<<$$>>" that begins at or after from, or -1. A book is mostly HTML, where "<" abounds
// and "$" is rare, so memchr looks for the first "$" and only its hits are compared.
qsizetype findSectionSeparator(QByteArrayView text, qsizetype from)
{
    const char *data = text.data();
    const qsizetype last = text.size() - 4; // the last place where the first "$" can stand
    for (qsizetype i = from + 2; i <= last; ++i) {
        const void *hit = std::memchr(data + i, '$', size_t(last - i + 1));
        if (!hit)
            return -1;
        i = static_cast<const char *>(hit) - data;
        if (text.sliced(i - 2, kSectionSeparator.size()) == kSectionSeparator)
            return i - 2;
    }
    return -1;
}

// The page section cut at every "~": the spans of the records in the whole text.
std::vector<PageTable::Span> cutRecords(QByteArrayView text, qsizetype begin, qsizetype end)
{
    std::vector<PageTable::Span> records;
    const char *data = text.data();
    qsizetype start = begin;
    while (const void *hit = std::memchr(data + start, kRecordSeparator, size_t(end - start))) {
        const qsizetype at = static_cast<const char *>(hit) - data;
        records.push_back({start, at - start});
        start = at + 1;
    }
    records.push_back({start, end - start});
    return records;
}

} // namespace

Book loadBook(platform::FileSystem &fileSystem, const QString &applicationFolder)
{
    return loadBookFile(fileSystem, applicationFolder + QLatin1String(kBookFileName));
}

Book loadBookFile(platform::FileSystem &fileSystem, const QString &fileName)
{
    const QString shown = shownName(fileName);
    QByteArray text;
    try {
        platform::TextStream stream = fileSystem.openTextFile(fileName);
        const qint64 size = fileSystem.fileSize(fileName);
        text = stream.read(size);
        stream.close();
    } catch (const platform::Failure &failure) {
        // Say that it is the book file that is at fault, not merely some file.
        switch (failure.number()) {
        case platform::error::FileNotFound:
            failBook(failure.number(), shown, QStringLiteral("does not exist"));
        case platform::error::InputPastEndOfFile:
            failBook(failure.number(), shown, QStringLiteral("is empty"));
        default:
            failBook(failure.number(), shown, QStringLiteral("can't be read: ") + failure.description());
        }
    }
    return parseBook(std::move(text), shown);
}

Book parseBook(QByteArray text, const QString &fileName)
{
    using platform::error::SubscriptOutOfRange;
    if (text.isEmpty())
        failBook(platform::error::InputPastEndOfFile, fileName, QStringLiteral("is empty"));

    const QByteArrayView bytes(text);
    const qsizetype first = findSectionSeparator(bytes, 0);
    if (first < 0)
        failBook(SubscriptOutOfRange, fileName, QStringLiteral("has no page section: no \"<<$$>>\" after the title"));
    const qsizetype sectionBegin = first + kSectionSeparator.size();
    const qsizetype second = findSectionSeparator(bytes, sectionBegin);
    const qsizetype sectionEnd = second < 0 ? bytes.size() : second;
    if (sectionEnd == sectionBegin)
        failBook(SubscriptOutOfRange, fileName,
                 second < 0 ? QStringLiteral("has an empty page section: the file ends right after \"<<$$>>\"")
                            : QStringLiteral("has an empty page section: a second \"<<$$>>\" follows the "
                                             "first directly"));

    Book book;
    book.title = platform::decodeCodePage(bytes.first(first));
    book.ignoredLength = bytes.size() - sectionEnd;
    std::vector<PageTable::Span> records = cutRecords(bytes, sectionBegin, sectionEnd);
    book.pages = PageTable(std::move(text), std::move(records));
    qCDebug(lcBook).noquote() << fileName << "holds" << book.pages.size() << "pages; ignored after them:"
                              << book.ignoredLength << "bytes";
    return book;
}

} // namespace book
