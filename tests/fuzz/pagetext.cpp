// The text of a page and the finding of a query in it, on any page HTML: reading the book's bytes and
// reading decoded text must give the same text, laid out as promised, and the counts and excerpts of
// PageFinder must be those of a plain search of that text, unit by unit. The first byte chooses letter
// case and how the query is read; the query is what follows up to the first line break (at most 32
// bytes); the rest is the page HTML, in the book's code page. A second query is cut from the page's
// own text, so that hits are many. The HTML is also taken as a book's pages, each searched as the
// search of the whole book does.
#include "fuzzcheck.h"

#include "book/bookfile.h"
#include "book/booksearch.h"
#include "book/pagelinks.h"
#include "book/pagetext.h"
#include "book/record.h"
#include "platform/codepage.h"
#include "platform/failure.h"

#include <QChar>

namespace {

bool isLayoutSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The comparison as documented: a no-break space is a space; without letter case, simple folding.
char16_t folded(char16_t c, Qt::CaseSensitivity cs)
{
    if (c == 0xA0)
        return u' ';
    return cs == Qt::CaseSensitive ? c : char16_t(QChar::toCaseFolded(char32_t(c)));
}

QString foldedText(const QString &text, Qt::CaseSensitivity cs)
{
    QString out = text;
    for (QChar &c : out)
        c = QChar(folded(c.unicode(), cs));
    return out;
}

// The query as it is looked for: runs of white space (a no-break space too) one space, none at the ends.
QString normalized(const QString &query)
{
    QString out;
    for (const QChar c : query) {
        if (isLayoutSpace(c.unicode()) || c.unicode() == 0xA0) {
            if (!out.isEmpty() && !out.endsWith(u' '))
                out += u' ';
        } else {
            out += c;
        }
    }
    if (out.endsWith(u' '))
        out.chop(1);
    return out;
}

// Non-overlapping hits from the start, by comparing at every place; the first one's place in first.
qsizetype plainCount(const QString &text, const QString &query, Qt::CaseSensitivity cs, qsizetype &first)
{
    first = -1;
    if (query.isEmpty())
        return 0;
    const QString t = foldedText(text, cs);
    const QString q = foldedText(query, cs);
    qsizetype hits = 0;
    for (qsizetype i = 0; i + q.size() <= t.size();) {
        if (QStringView(t).sliced(i, q.size()) == q) {
            if (first < 0)
                first = i;
            ++hits;
            i += q.size();
        } else {
            ++i;
        }
    }
    return hits;
}

void checkQuery(const QByteArray &html, const QString &decoded, const QString &text, const QString &query,
                Qt::CaseSensitivity cs)
{
    const book::PageFinder finder(query, cs);
    FUZZ_CHECK_MSG(finder.query() == normalized(query), finder.query());
    qsizetype first = -1;
    const qsizetype expected = plainCount(text, finder.query(), cs, first);
    const book::PageFinder::Hits both[] = {finder.hits(QByteArrayView(html)), finder.hits(decoded)};
    FUZZ_CHECK_MSG(both[0].count == expected && both[1].count == expected,
                   QStringLiteral("query \"%1\": %2 hits in the bytes, %3 in the text, the plain search %4")
                       .arg(finder.query())
                       .arg(both[0].count)
                       .arg(both[1].count)
                       .arg(expected));

    // The excerpt read alone, from the start of the page, is the one found with the hits: in the main
    // content's text where that holds the query, else in the page's.
    const QString main = book::pageMainText(decoded);
    FUZZ_CHECK_MSG(book::pageMainText(QByteArrayView(html)) == main, main.left(200));
    qsizetype mainFirst = -1;
    const bool fromMain = plainCount(main, finder.query(), cs, mainFirst) > 0;
    const QString &quoted = fromMain ? main : text;
    if (fromMain)
        first = mainFirst;
    for (const book::PageFinder::Excerpt &excerpt :
         {finder.excerpt(QByteArrayView(html)), finder.excerpt(decoded), both[0].excerpt, both[1].excerpt}) {
        if (expected == 0) {
            FUZZ_CHECK(excerpt.hitOffset == -1 && excerpt.text.isEmpty());
            continue;
        }
        const qsizetype length = finder.query().size();
        FUZZ_CHECK(excerpt.hitOffset >= 0 && excerpt.hitOffset + length <= excerpt.text.size());
        FUZZ_CHECK(excerpt.text.size() <= std::max(book::PageFinder::kExcerptLength, length));
        // The excerpt is the text where the first hit stands.
        FUZZ_CHECK_MSG(excerpt.text == quoted.mid(first - excerpt.hitOffset, excerpt.text.size()),
                       QStringLiteral("excerpt \"%1\" at %2, first hit at %3 of \"%4\"")
                           .arg(excerpt.text)
                           .arg(excerpt.hitOffset)
                           .arg(first)
                           .arg(quoted.left(200)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const uint8_t flags = data[0];
    const Qt::CaseSensitivity cs = flags & 1 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    qsizetype lineEnd = input.indexOf('\n', 1);
    if (lineEnd < 0 || lineEnd > 33)
        lineEnd = std::min<qsizetype>(input.size(), 33);
    const QByteArray queryBytes = input.mid(1, lineEnd - 1);
    const QString query = flags & 2 ? QString::fromUtf8(queryBytes) : platform::decodeCodePage(queryBytes);
    const QByteArray html = input.mid(lineEnd + 1);
    const QString decoded = platform::decodeCodePage(html);

    const QString text = book::pageText(QByteArrayView(html));
    FUZZ_CHECK_MSG(book::pageText(decoded) == text, text.left(200));
    // Laid out: no white space but single spaces between words.
    FUZZ_CHECK(!text.startsWith(u' ') && !text.endsWith(u' ') && !text.contains(u"  "));
    for (const QChar c : text)
        FUZZ_CHECK(c == u' ' || !isLayoutSpace(c.unicode()));

    checkQuery(html, decoded, text, query, cs);
    if (!text.isEmpty()) {
        const qsizetype from = (qsizetype(flags) * 7) % text.size();
        checkQuery(html, decoded, text, text.mid(from, 1 + (flags >> 2) % 12), cs);
    }

    // Read as the page section of a book, each record is searched in its page HTML alone, as the
    // record cut at "##" gives it.
    try {
        const book::PageTable pages = book::parseBook("<<$$>>" + html, QStringLiteral("fuzz.tavlo")).pages;
        const book::PageFinder finder(query, cs);
        for (qsizetype i = 0; i < std::min<qsizetype>(pages.size(), 16); ++i) {
            const QString record = pages.record(i);
            const std::optional<book::PageMatch> match = book::matchPage(pages, i, finder);
            const qsizetype hits = book::hasPageHtml(record) ? finder.hits(book::pageHtmlOf(record)).count : 0;
            FUZZ_CHECK(match.has_value() == (hits > 0));
            if (match) {
                FUZZ_CHECK(match->hits == hits && match->page == i && match->name == book::pageName(record));
                FUZZ_CHECK(match->hitLength == finder.query().size());
            }
        }
    } catch (const platform::Failure &) {
        // an empty page section
    }

    // The links come from the same reading of the HTML: each begins with the "<" of its tag.
    for (const book::PageLink &link : book::pageLinks(decoded))
        FUZZ_CHECK(link.offset >= 0 && link.offset < decoded.size() && decoded[link.offset] == u'<');
    return 0;
}
