#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace book {

// Points the picture references of pageHtml into the images folder of applicationFolder, in place:
// the source of every "<img" and the first "background=" that don't already begin with the
// application folder (any case) get it in front, followed by "\" when the value begins with "images"
// (any case), else by "\images\". Each rewrite replaces every exact-case occurrence of the value in the
// page. Markers are found without regard to case.
// Since a rewrite puts the folder in front of every occurrence of a value, and a later value may occur
// inside that folder, a page can double with each picture. A rewrite that would make the page longer
// than pageLengthLimit() of its length before the first rewrite fails with "out of string space" (14)
// instead of exhausting memory; pageHtml is then left as it was before that rewrite.
inline constexpr qsizetype kMaxPageLength = qsizetype(1) << 24;
constexpr qsizetype pageLengthLimit(qsizetype pageLength)
{
    // Pages of any size show; only growth beyond reason fails.
    return pageLength * 4 > kMaxPageLength ? pageLength * 4 : kMaxPageLength;
}
// A rewrite brings no new "<img" into the page unless the application folder holds one, or begins with
// "img", "mg" or "g" (any case) that the text in front of a value can complete. With such a folder the
// scan would chase the elements each rewrite brings, until the page reached its length limit, one pass
// over the whole page per rewrite. There a page with n "<img" markers before rewriting may be rewritten
// at most rewriteLimit(n) times; one more fails with "out of string space" (14) as well, pageHtml left
// as it was before that rewrite. With any other folder the rewrites are not counted: a value that a
// later rewrite breaks up (with a piece of the folder's name) is read and rewritten again, sometimes
// more often than the page has elements. But a value that holds "<img" itself (its quote left open) is
// rewritten at most rewriteLimit(n) times with any folder: each rewrite of it brings the scan its
// element again.
bool folderAddsPictureMarkers(QStringView applicationFolder);
constexpr qsizetype rewriteLimit(qsizetype pictureElements)
{
    // Every element and the background once, and as many again for values broken up as above.
    return 2 * (pictureElements + 1);
}
// Most pages are rewritten in one pass over them; the rest (see onepassrewrite.h) step by step, one
// pass over the whole page per value rewritten. Those passes may go over maxWalk characters in all,
// a second or two: one more fails with "out of string space" (14) as well, pageHtml left as it was
// before that rewrite, so that no page holds the reader for long.
inline constexpr qsizetype kMaxWalk = qsizetype(1) << 32;
void parsingImage(QString &pageHtml, QStringView applicationFolder, qsizetype maxWalk = kMaxWalk);

// The picture references that parsingImage() reads, in the order it reads them, found by the same
// markers and rules, without rewriting anything: each "<img" source value, then the first
// "background=" value. Values may be empty.
struct PictureReference {
    QString value;
    qsizetype offset = 0; // where the value begins in the page HTML
};
std::vector<PictureReference> pictureReferences(const QString &pageHtml);

} // namespace book
