// The show page sequence on any book: preparePage() must give, for every record, the page HTML
// that a plain, step-by-step reading of the picture rewriting rules gives (positions from 1,
// "find X from p", one Replace of every exact occurrence), and the page as written where that
// reading runs out of string space. The first byte picks the application folder; a text that is no
// book is taken as one page's HTML.
#include "fuzzcheck.h"

#include "book/bookfile.h"
#include "book/parsingimage.h"
#include "book/showpage.h"
#include "platform/codepage.h"
#include "platform/failure.h"

#include <QStringList>

namespace {

// The position, from 1, of the first occurrence of what at or after position from; 0 if there is
// none or from lies beyond the end.
qsizetype findFrom(const QString &text, qsizetype from, QStringView what, Qt::CaseSensitivity cs)
{
    if (from > text.size())
        return 0;
    return text.indexOf(what, from - 1, cs) + 1;
}

// The reference gives up where the reader's step-by-step walk may have stopped short: after one pass
// per value over more of the page than the walk may go over in all.
struct WalkTooLong {};

void rewriteValue(QString &html, const QString &value, const QString &folder, qsizetype limit, qsizetype &rewritesLeft,
                  qsizetype &markerRewritesLeft, qsizetype &walked)
{
    if (value.isEmpty())
        return;
    if (value.left(folder.size()).compare(folder, Qt::CaseInsensitive) == 0)
        return;
    // A page may be rewritten only so many times, where the rewrites bring new picture elements;
    // a negative count is no limit.
    if (rewritesLeft == 0)
        throw platform::Failure(platform::error::OutOfStringSpace, QString());
    if (rewritesLeft > 0)
        --rewritesLeft;
    // So may a value that holds "<img" itself, with any folder.
    if (value.contains(u"<img", Qt::CaseInsensitive) && markerRewritesLeft-- == 0)
        throw platform::Failure(platform::error::OutOfStringSpace, QString());
    const bool namesImages = value.left(6).compare(u"images", Qt::CaseInsensitive) == 0;
    const QString newText = namesImages ? QString(folder + u"\\" + value) : QString(folder + u"\\images\\" + value);
    // The page may not outgrow its limit; the rewrite that would make it fails instead.
    qsizetype length = html.size();
    for (qsizetype at = html.indexOf(value); at >= 0; at = html.indexOf(value, at + value.size())) {
        length += newText.size() - value.size();
        if (length > limit)
            throw platform::Failure(platform::error::OutOfStringSpace, QString());
    }
    walked += html.size();
    if (walked > book::kMaxWalk)
        throw WalkTooLong();
    html.replace(value, newText, Qt::CaseSensitive);
}

QString rewrittenPictures(QString html, const QString &folder)
{
    constexpr auto ci = Qt::CaseInsensitive;
    const qsizetype limit = book::pageLengthLimit(html.size());
    // Rewrites are counted only where the folder can bring new picture elements: it holds "<img", or
    // completes one begun in front of it.
    const QString marker = QStringLiteral("<img");
    const bool addsMarkers = QString(marker.left(1) + folder).contains(marker, ci) ||
                             QString(marker.left(2) + folder).contains(marker, ci) ||
                             QString(marker.left(3) + folder).contains(marker, ci);
    qsizetype rewritesLeft = addsMarkers ? book::rewriteLimit(html.count(marker, ci)) : -1;
    qsizetype markerRewritesLeft = book::rewriteLimit(html.count(marker, ci));
    qsizetype walked = 0;
    for (qsizetype p = findFrom(html, 1, u"<img", ci); p != 0;) {
        const qsizetype s = findFrom(html, p, u"src=", ci);
        if (s == 0)
            break;
        const qsizetype v = s + 5;
        const qsizetype q = findFrom(html, v, u"\"", Qt::CaseSensitive);
        if (q == 0)
            break;
        rewriteValue(html, html.mid(v - 1, q - v), folder, limit, rewritesLeft, markerRewritesLeft, walked);
        p = findFrom(html, q, u"<img", ci);
    }
    const qsizetype b = findFrom(html, 1, u"background=", ci);
    if (b > 0) {
        const qsizetype v = b + 12;
        const qsizetype q = findFrom(html, v, u"\"", Qt::CaseSensitive);
        if (q != 0)
            rewriteValue(html, html.mid(v - 1, q - v), folder, limit, rewritesLeft, markerRewritesLeft, walked);
    }
    return html;
}

QString pageHtmlField(const QString &record)
{
    return record.split(QStringLiteral("##"), Qt::KeepEmptyParts).value(1);
}

// The page HTML, or the number of the failure that stopped it; kUnknown where the reference gave up.
struct Outcome {
    QString html;
    int failure = 0;
};
constexpr int kUnknown = -1;

template <typename Prepare> Outcome outcome(Prepare prepare)
{
    try {
        return {prepare(), 0};
    } catch (const platform::Failure &failure) {
        return {QString(), failure.number()};
    } catch (const WalkTooLong &) {
        return {QString(), kUnknown};
    }
}

void compare(const Outcome &expected, const Outcome &shown, const QString &folder, qsizetype page)
{
    if (expected.failure == kUnknown)
        return;
    FUZZ_CHECK_MSG(shown.failure == expected.failure && shown.html == expected.html,
                   QStringLiteral("page %1, folder \"%2\": gave \"%3\" (failure %4), not \"%5\" (failure %6)")
                       .arg(page)
                       .arg(folder, shown.html.left(2000))
                       .arg(shown.failure)
                       .arg(expected.html.left(2000))
                       .arg(expected.failure));
}

// Pages prepared per input: enough for every shape of book, few enough to keep an input fast.
constexpr qsizetype kMaxPages = 64;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArrayView rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    QString folder;
    switch (data[0] % 6) {
    case 0:
        folder = QStringLiteral("C:\\Reader");
        break;
    case 1:
        folder = QStringLiteral("C:\\");
        break;
    case 2:
        folder = QStringLiteral("/");
        break;
    case 3:
        folder = QStringLiteral("/opt/app");
        break;
    default: {
        // A folder of the input's own: up to 31 characters, quotes, "src=" and "<img" among them.
        const qsizetype length = rest.isEmpty() ? 0 : qMin<qsizetype>(rest[0] & 31, rest.size() - 1);
        folder = platform::decodeCodePage(rest.sliced(rest.isEmpty() ? 0 : 1, length));
        rest = rest.sliced(rest.isEmpty() ? 0 : 1 + length);
    }
    }

    book::Book loaded;
    try {
        loaded = book::parseBook(rest.toByteArray(), QStringLiteral("fuzz.tavlo"));
    } catch (const platform::Failure &) {
        const QString html = platform::decodeCodePage(rest);
        compare(outcome([&] { return rewrittenPictures(html, folder); }), outcome([&] {
                    QString rewritten = html;
                    book::parsingImage(rewritten, folder);
                    return rewritten;
                }),
                folder, -1);
        return 0;
    }

    const book::PageTable &pages = loaded.pages;
    for (qsizetype i = 0; i < qMin(pages.size(), kMaxPages); ++i) {
        const QString written = pageHtmlField(pages.record(i));
        Outcome expected = outcome([&] { return rewrittenPictures(written, folder); });
        const bool outOfSpace = expected.failure == platform::error::OutOfStringSpace;
        if (outOfSpace)
            expected = {written, 0};
        bool asWritten = false;
        compare(expected, outcome([&] {
                    book::PreparedPage page = book::preparePage(pages, i, folder);
                    asWritten = page.asWrittenBecause.has_value();
                    return page.html;
                }),
                folder, i);
        FUZZ_CHECK(asWritten == outOfSpace || expected.failure == kUnknown);
    }
    try {
        book::preparePage(pages, pages.size(), folder);
        FUZZ_CHECK_MSG(false, QStringLiteral("page %1 of %2 was shown").arg(pages.size()).arg(pages.size()));
    } catch (const platform::Failure &failure) {
        FUZZ_CHECK(failure.number() == platform::error::SubscriptOutOfRange);
    }
    return 0;
}
