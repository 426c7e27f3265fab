// Loading a book from any bytes: parseBook either fails as the defects of the text call for, or
// gives a title and a page table that are exactly the pieces of the text, found here again with a
// plain search. The records are also cut into fields two ways that must agree. Text that begins with
// the UTF-8 mark is read as UTF-8 after it, whatever its bytes.
#include "fuzzcheck.h"

#include "book/bookfile.h"
#include "book/bookformat.h"
#include "book/pageindex.h"
#include "book/record.h"
#include "platform/codepage.h"
#include "platform/failure.h"

#include <QFile>
#include <QStringList>
#include <QUtf8StringView>

namespace {

constexpr QByteArrayView kSectionSeparator = "<<$$>>";

// A record read as a whole and as its pieces.
void checkRecord(const book::PageTable &pages, qsizetype i)
{
    const QByteArrayView bytes = pages.recordBytes(i);
    const QString record = pages.record(i);
    if (pages.form() == book::TextForm::CodePage) {
        FUZZ_CHECK(record.size() == bytes.size());
        qsizetype unheld = -1;
        FUZZ_CHECK(platform::encodeCodePage(record, false, &unheld) == bytes);
        FUZZ_CHECK(unheld == 0);
    } else if (QUtf8StringView(bytes).isValidUtf8()) {
        FUZZ_CHECK(record.toUtf8() == bytes);
    }

    // Qt's split cuts from left to right without overlapping too; a field decoded alone reads as in the record.
    const QStringList fields = record.split(QStringLiteral("##"));
    for (int f = 0; f <= fields.size(); ++f) {
        FUZZ_CHECK(book::recordField(QStringView(record), f) == fields.value(f));
        FUZZ_CHECK(pages.decode(book::recordField(bytes, f)) == fields.value(f));
    }
    FUZZ_CHECK(book::pageName(record) == fields.value(0));
    FUZZ_CHECK(book::pageHtmlOf(record) == fields.value(1));
    FUZZ_CHECK(book::hasPageHtml(record) == (fields.size() >= 2));
    FUZZ_CHECK(book::pageNameAt(pages, i) == book::pageName(record));
    FUZZ_CHECK(book::isBlank(record) == book::isBlank(bytes));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool utf8 = text.startsWith("\xEF\xBB\xBF");
    const qsizetype titleBegin = utf8 ? 3 : 0;
    const qsizetype first = text.indexOf(kSectionSeparator, titleBegin);
    const qsizetype sectionBegin = first + kSectionSeparator.size();
    const qsizetype second = first < 0 ? -1 : text.indexOf(kSectionSeparator, sectionBegin);
    const qsizetype sectionEnd = second < 0 ? text.size() : second;

    book::Book loaded;
    try {
        loaded = book::parseBook(text, QStringLiteral("fuzz.tavlo"));
    } catch (const platform::Failure &failure) {
        if (text.isEmpty()) {
            FUZZ_CHECK(failure.number() == platform::error::InputPastEndOfFile);
        } else {
            FUZZ_CHECK(failure.number() == platform::error::SubscriptOutOfRange);
            FUZZ_CHECK(first < 0 || sectionEnd == sectionBegin);
        }
        FUZZ_CHECK(failure.description().contains(QStringLiteral("fuzz.tavlo")));
        return 0;
    }
    FUZZ_CHECK(first >= 0 && sectionEnd > sectionBegin);
    const QByteArrayView title = QByteArrayView(text).sliced(titleBegin, first - titleBegin);
    if (!utf8)
        FUZZ_CHECK(loaded.title == platform::decodeCodePage(title));
    else if (QUtf8StringView(title).isValidUtf8())
        FUZZ_CHECK(loaded.title.toUtf8() == title);
    FUZZ_CHECK(loaded.pages.form() == (utf8 ? book::TextForm::Utf8 : book::TextForm::CodePage));

    // The records, in order, are the page section cut at every "~", nothing left out or added.
    const QByteArrayView section = QByteArrayView(text).sliced(sectionBegin, sectionEnd - sectionBegin);
    const book::PageTable &pages = loaded.pages;
    FUZZ_CHECK(pages.size() == section.count('~') + 1);
    qsizetype at = 0;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QByteArrayView bytes = pages.recordBytes(i);
        FUZZ_CHECK(at + bytes.size() <= section.size());
        FUZZ_CHECK(bytes == section.sliced(at, bytes.size()));
        at += bytes.size();
        if (i + 1 < pages.size()) {
            FUZZ_CHECK(section[at] == '~');
            ++at;
        }
        checkRecord(pages, i);
    }
    FUZZ_CHECK(at == section.size());

    // The same bytes as a book file, mapped, give the same book.
    static const QString file = fuzz::runFolderPath(QStringLiteral("book.tavlo"));
    QFile out(file);
    FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size());
    out.close();
    const book::Book mapped = book::loadBookFile(file);
    FUZZ_CHECK(mapped.title == loaded.title && mapped.pages.size() == pages.size());
    FUZZ_CHECK(mapped.pages.recordBytes(pages.size() - 1) == pages.recordBytes(pages.size() - 1));

    for (const qsizetype outside : {qsizetype(-1), pages.size()}) {
        try {
            pages.record(outside);
            FUZZ_CHECK_MSG(false, QStringLiteral("record %1 of %2 was given").arg(outside).arg(pages.size()));
        } catch (const platform::Failure &failure) {
            FUZZ_CHECK(failure.number() == platform::error::SubscriptOutOfRange);
        }
    }
    return 0;
}
