#include "bookfile.h"

#include "bookformat.h"
#include "logging.h"

#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/hostpath.h"

#include <QFileInfo>

namespace book {
namespace {

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
    book.pages = PageTable(std::move(text), std::move(records), form);
    qCDebug(lcBook).noquote() << fileName << "holds" << book.pages.size()
                              << "pages; ignored after them:" << book.ignoredLength << "bytes";
    return book;
}

} // namespace book
