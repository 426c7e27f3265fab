// Following a link: PageIndex must answer every link exactly as a plain search of the records does,
// and the link rule must agree with both. The input is the page section of a book; its lines serve
// as links too, read in the book's code page and as UTF-8 (a link comes from the page view and may
// hold any character), and every page name is looked up in other letter case and with spaces
// around it, and with a place after it. The scheme a link begins with is read from the link alone.
#include "../support/plainsearch.h"
#include "fuzzcheck.h"

#include "book/bookfile.h"
#include "book/linkrule.h"
#include "book/pageindex.h"
#include "platform/codepage.h"
#include "platform/failure.h"

#include <QStringList>

namespace {

using support::plainSearch;

QString swappedCase(const QString &text)
{
    QString swapped = text;
    for (QChar &c : swapped)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    return swapped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray section(reinterpret_cast<const char *>(data), qsizetype(size));
    book::PageTable pages;
    try {
        pages = book::parseBook("<<$$>>" + section, QStringLiteral("fuzz.tavlo")).pages;
    } catch (const platform::Failure &) {
        return 0; // an empty section, or one that a "<<$$>>" ends at once
    }
    const book::PageIndex index(pages);

    QStringList links;
    for (qsizetype i = 0; i < qMin<qsizetype>(pages.size(), 32); ++i) {
        const QString name = book::pageNameAt(pages, i);
        links << name << name.toUpper() << name.toLower() << swappedCase(name) << name.toCaseFolded()
              << QString(u' ' + name + u"  ") << name.mid(1) << name.chopped(qMin<qsizetype>(1, name.size()))
              << QString(name + u"#place") << QString(u"#" + name);
    }
    const QList<QByteArray> lines = section.split('\n');
    for (qsizetype i = 0; i < qMin<qsizetype>(lines.size(), 32); ++i)
        links << platform::decodeCodePage(lines[i]) << QString::fromUtf8(lines[i]);

    // Every plain search walks the whole table; keep an input to a few million names read.
    const qsizetype budget = qMax<qsizetype>(1, 2'000'000 / pages.size());
    for (qsizetype k = 0; k < qMin(links.size(), budget); ++k) {
        const QString &link = links[k];
        const qsizetype expected = plainSearch(pages, link);
        const qsizetype found = index.find(link);
        FUZZ_CHECK_MSG(
            found == expected,
            QStringLiteral("link \"%1\": the index gave %2, the search %3").arg(link).arg(found).arg(expected));

        // A link that names a page by its whole text leads there, whatever it holds.
        const book::LinkTarget target = book::resolveLink(link, index);
        const bool web = link.startsWith(QLatin1String("http")) || link.startsWith(QLatin1String("HTTP"));
        const bool file = link.startsWith(QLatin1String("file"));
        if (!web && !file && expected >= 0)
            FUZZ_CHECK_MSG(target.kind == book::LinkKind::Page && target.page == expected,
                           QStringLiteral("link \"%1\" names page %2 but leads elsewhere").arg(link).arg(expected));
        if (target.kind == book::LinkKind::PageWithPlace && !file) {
            const QString name = link.chopped(target.place.size() + 1);
            FUZZ_CHECK_MSG(
                target.page >= 0 && index.find(name) == target.page && link.endsWith(QString(u'#' + target.place)),
                QStringLiteral("link \"%1\": page %2, place \"%3\"").arg(link).arg(target.page).arg(target.place));
        }
        if (target.kind == book::LinkKind::Web && !target.url.isEmpty())
            FUZZ_CHECK(target.url.scheme() == u"http" || target.url.scheme() == u"https");

        // A scheme is what the link begins with before its first ":", blanks aside, two characters
        // or more, in lower case.
        const QString scheme = book::linkScheme(link);
        if (!scheme.isEmpty()) {
            const QString trimmed = link.trimmed();
            FUZZ_CHECK_MSG(scheme.size() >= 2 && scheme == scheme.toLower() &&
                               trimmed.startsWith(scheme, Qt::CaseInsensitive) &&
                               trimmed.indexOf(u':') == scheme.size(),
                           QStringLiteral("link \"%1\": scheme \"%2\"").arg(link, scheme));
        }
    }
    return 0;
}
