#include "bookfile.h"

#include "bookformat.h"
#include "logging.h"

#include "platform/failure.h"
#include "platform/hostpath.h"
#include "platform/mappedfile.h"

#include <QFileInfo>

namespace book {
namespace {

[[noreturn]] void failBook(int number, const QString &fileName, const QString &defect)
{
    throw platform::Failure(number, QStringLiteral("the book file \"%1\" %2").arg(fileName, defect));
}

} // namespace

Book loadBookFile(const QString &path)
{
    const QString shown = QFileInfo(path).absoluteFilePath();
    std::shared_ptr<const platform::MappedFile> file;
    try {
        file = platform::mapRegularFile(path);
    } catch (const platform::Failure &failure) {
        // Say that it is the book file that is at fault, not merely some file.
        if (failure.number() == platform::error::FileNotFound)
            failBook(failure.number(), shown, QStringLiteral("does not exist"));
        failBook(failure.number(), shown, QStringLiteral("can't be read: ") + failure.description());
    }
    const QByteArrayView bytes = file->bytes();
    return parseBook(QByteArray::fromRawData(bytes.data(), bytes.size()), shown, file);
}

QString bookFileIn(const QString &applicationFolder)
{
    return QFileInfo(platform::hostPath(applicationFolder + QLatin1String(kBookFileName))).absoluteFilePath();
}

BookLoad::BookLoad(QString path) : path_(std::move(path)), reading_(std::async(std::launch::async, loadBookFile, path_))
{
}

Book BookLoad::take(const QString &path)
{
    if (reading_.valid() && path == path_) {
        try {
            return reading_.get();
        } catch (const platform::Failure &) {
            // Read again below, where the program's language and settings are in place.
        }
    }
    return loadBookFile(path);
}

Book parseBook(QByteArray text, const QString &fileName, std::shared_ptr<const void> owner)
{
    using platform::error::SubscriptOutOfRange;
    if (text.isEmpty())
        failBook(platform::error::InputPastEndOfFile, fileName, QStringLiteral("is empty"));

    const QByteArrayView bytes(text);
    const BookSections sections = cutSections(bytes);
    if (!sections.hasPageSection())
        failBook(SubscriptOutOfRange, fileName, QStringLiteral("has no page section: no \"<<$$>>\" after the title"));
    if (sections.sectionEnd == sections.sectionBegin)
        failBook(SubscriptOutOfRange, fileName,
                 sections.sectionEnd == bytes.size()
                     ? QStringLiteral("has an empty page section: the file ends right after \"<<$$>>\"")
                     : QStringLiteral("has an empty page section: a second \"<<$$>>\" follows the first directly"));

    Book book;
    const TextForm form = textFormOf(bytes);
    book.title = decodeText(bytes.sliced(sections.titleBegin, sections.titleEnd - sections.titleBegin), form);
    book.ignoredLength = bytes.size() - sections.sectionEnd;
    std::vector<TextSpan> records = cutRecords(bytes, sections.sectionBegin, sections.sectionEnd);
    book.pages = PageTable(std::move(text), std::move(records), form, std::move(owner));
    qCDebug(lcBook).noquote() << fileName << "holds" << book.pages.size()
                              << "pages; ignored after them:" << book.ignoredLength << "bytes";
    return book;
}

} // namespace book
