#include "parsingimage.h"

#include "onepassrewrite.h"

#include "platform/failure.h"

#include <QStringMatcher>

#include <cstring>
#include <limits>
#include <vector>

namespace book {
namespace {

// The first occurrence of what at or after from, without regard to case; -1 if none.
qsizetype find(const QString &text, QStringView what, qsizetype from)
{
    return text.indexOf(what, from, Qt::CaseInsensitive);
}

// Replaces every exact-case occurrence of value in one left-to-right scan; the inserted text is not
// scanned again. replacement is never shorter than value here, so the page grows in place: each
// rewrite moves the text after the first occurrence once, and spare capacity saves reallocating the
// page for every picture.
void replaceAll(QString &text, QStringView value, QStringView replacement, qsizetype limit)
{
    Q_ASSERT(replacement.size() >= value.size());
    const qsizetype oldSize = text.size();
    const qsizetype growth = replacement.size() - value.size();
    std::vector<qsizetype> hits;
    const QStringMatcher matcher(value, Qt::CaseSensitive);
    for (qsizetype at = matcher.indexIn(text); at >= 0; at = matcher.indexIn(text, at + value.size())) {
        hits.push_back(at);
        if (oldSize + qsizetype(hits.size()) * growth > limit)
            failPageTooLong(value, limit);
    }
    if (hits.empty())
        return;

    const qsizetype newSize = oldSize + qsizetype(hits.size()) * growth;
    if (text.capacity() < newSize)
        text.reserve(newSize + newSize / 4);
    text.resize(newSize);

    // From the back, so nothing is overwritten before it has moved.
    QChar *data = text.data();
    qsizetype end = oldSize;
    qsizetype out = newSize;
    for (size_t k = hits.size(); k-- > 0;) {
        const qsizetype hit = hits[k];
        const qsizetype after = hit + value.size();
        out -= end - after;
        std::memmove(data + out, data + after, size_t(end - after) * sizeof(QChar));
        out -= replacement.size();
        std::memcpy(data + out, replacement.data(), size_t(replacement.size()) * sizeof(QChar));
        end = hit;
    }
}

// What one call of parsingImage() may still do before it fails with "out of string space".
struct Limits {
    qsizetype pageLength;     // the page may not grow beyond this many characters
    qsizetype rewrites;       // rewrites left
    qsizetype markerRewrites; // rewrites left of values that hold "<img" themselves
    qsizetype walk;           // characters that the rewrites' passes over the page may still go over
    qsizetype maxWalk;        // and in all
};

[[noreturn]] void failWalkTooLong(qsizetype maxWalk)
{
    throw platform::Failure(platform::error::OutOfStringSpace,
                            QStringLiteral("Out of string space: rewriting the pictures of the page one by one "
                                           "would pass over more than %1 characters of it")
                                .arg(maxWalk));
}

// Points the value that stands at [begin, end) of the page into the images folder.
void rewrite(QString &text, qsizetype begin, qsizetype end, QStringView folder, Limits &limits)
{
    const QString value = text.sliced(begin, end - begin);
    if (value.isEmpty())
        return;
    // Already inside the application folder: a page rewritten before, or an element reached again.
    if (value.size() >= folder.size() &&
        QStringView(value).first(folder.size()).compare(folder, Qt::CaseInsensitive) == 0)
        return;
    // A value that begins with "images" already names the images folder and only needs the
    // application folder in front; any other needs both.
    const QStringView between =
        value.startsWith(kImages, Qt::CaseInsensitive) ? QStringView(u"\\") : QStringView(u"\\images\\");
    // A folder that adds picture elements puts new ones in front of every occurrence it rewrites,
    // ahead of the scan, which then finds and rewrites those too; only running out of rewrites ends it.
    // So does a value that holds "<img" itself (a quote left open): its copy brings the scan the
    // element again, the page growing by the folder each time, each time one pass over all of it.
    if (limits.rewrites-- == 0 || (value.contains(kImg, Qt::CaseInsensitive) && limits.markerRewrites-- == 0))
        failRewrittenTooOften(folder);
    // One pass over the whole page: a page of many pictures that can't be rewritten in one pass
    // would take minutes.
    limits.walk -= text.size();
    if (limits.walk < 0)
        failWalkTooLong(limits.maxWalk);
    const QString replacement = folder + between + value;
    replaceAll(text, value, replacement, limits.pageLength);
}

// Walks the picture references of text as the reader finds them, from the picture element found at
// p on, handing each value's extent [begin, end) to visit, which may rewrite the text. Positions are
// taken in the text as it stands: after a rewrite the search for the next "<img" goes on from where
// the closing quote was before it, which may pass over an element again; its value then begins with
// the folder and is left alone.
template <typename Visit> void visitPicturesFrom(QString &text, qsizetype p, Visit visit)
{
    while (p >= 0) {
        const qsizetype s = find(text, kSrc, p);
        if (s < 0)
            break;
        // "src=" and the one character after it, taken to be the opening quote.
        const qsizetype v = s + kSrc.size() + 1;
        const qsizetype q = text.indexOf(kQuote, v);
        if (q < 0)
            break;
        visit(v, q);
        p = find(text, kImg, q);
    }

    // Only the first "background=" of the page, whatever carries it.
    const qsizetype b = find(text, kBackground, 0);
    if (b < 0)
        return;
    const qsizetype v = b + kBackground.size() + 1;
    const qsizetype q = text.indexOf(kQuote, v);
    if (q >= 0)
        visit(v, q);
}

template <typename Visit> void visitPictures(QString &text, Visit visit)
{
    visitPicturesFrom(text, find(text, kImg, 0), visit);
}

// The same walk, taken up at point.
template <typename Visit> void visitPicturesAt(QString &text, const ScanPoint &point, Visit visit)
{
    visit(point.v, point.q);
    if (!point.background)
        visitPicturesFrom(text, find(text, kImg, point.q), visit);
}

} // namespace

bool folderAddsPictureMarkers(QStringView applicationFolder)
{
    // Inside the folder, or begun by the end of the text in front of it.
    for (QStringView before : {u"<", u"<i", u"<im"}) {
        if (find(before.toString().append(applicationFolder), kImg, 0) >= 0)
            return true;
    }
    return false;
}

void parsingImage(QString &pageHtml, QStringView applicationFolder, qsizetype maxWalk)
{
    PageMarkers markers = markersOf(pageHtml);
    const auto elements = qsizetype(markers.images.size());
    Limits limits{pageLengthLimit(pageHtml.size()), std::numeric_limits<qsizetype>::max(), rewriteLimit(elements),
                  maxWalk, maxWalk};
    const auto rewriteAt = [&](qsizetype begin, qsizetype end) {
        rewrite(pageHtml, begin, end, applicationFolder, limits);
    };
    if (!canRewriteInOnePass(applicationFolder)) {
        if (folderAddsPictureMarkers(applicationFolder))
            limits.rewrites = rewriteLimit(elements);
        visitPictures(pageHtml, rewriteAt);
        return;
    }
    // A page without a picture, as most are, is left as it is, without indexing it for values.
    if (markers.images.empty() && markers.backgrounds.empty())
        return;
    // Most pages are rewritten in one pass over the page; where that pass can't tell the result, it
    // gives the page as far as it came, and the walk goes on over the text itself.
    if (const std::optional<ScanPoint> left =
            rewriteInOnePass(pageHtml, std::move(markers), applicationFolder, limits.pageLength, limits.markerRewrites))
        visitPicturesAt(pageHtml, *left, rewriteAt);
}

std::vector<PictureReference> pictureReferences(const QString &pageHtml)
{
    std::vector<PictureReference> references;
    QString text = pageHtml;
    visitPictures(text, [&](qsizetype begin, qsizetype end) {
        references.push_back({text.sliced(begin, end - begin), begin});
    });
    return references;
}

} // namespace book
