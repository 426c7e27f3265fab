// The record of what an imported site lacks, as any bytes may leave it beside a book: reading it
// gives a record or a problem, never both; a record read is written back to the same record; and a
// check that marks defects by it marks only dead links, missing pictures and missing files.
#include "fuzzcheck.h"

#include "book/bookcheck.h"
#include "book/bookfile.h"

namespace {

bool operator==(const book::SiteLacks &a, const book::SiteLacks &b)
{
    return a.pages == b.pages && a.styleSheets == b.styleSheets;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    QString problem = QStringLiteral("unset");
    const book::SiteLacks lacks = book::readSiteLacks(input, &problem);
    if (!problem.isEmpty()) {
        FUZZ_CHECK(lacks.isEmpty());
        return 0;
    }
    QString again = QStringLiteral("unset");
    FUZZ_CHECK(book::readSiteLacks(book::writeSiteLacks(lacks), &again) == lacks);
    FUZZ_CHECK(again.isEmpty());

    // A book whose pages hold every reference the record names, as links, pictures and scripts.
    book::BookWriter writer(u"T");
    writer.addPage(u"start", u"<p>start</p>");
    for (auto page = lacks.pages.constBegin(); page != lacks.pages.constEnd(); ++page) {
        QString html;
        for (const QString &reference : *page) {
            const QString value = reference.toHtmlEscaped();
            html +=
                u"<a href=\"" + value + u"\">a</a><img src=\"" + value + u"\"><script src=\"" + value + u"\"></script>";
        }
        writer.addPage(page.key(), html);
    }
    const book::Book book = book::parseBook(writer.take(), QString());
    for (const book::Defect &defect : book::checkBook(book, fuzz::runFolderPath({}), lacks)) {
        FUZZ_CHECK(!defect.siteLacks || defect.kind == book::DefectKind::DeadLink ||
                   defect.kind == book::DefectKind::MissingPicture || defect.kind == book::DefectKind::MissingFile);
    }
    return 0;
}
