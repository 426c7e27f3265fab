#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace book {

// What the picture rewriting looks for in a page, without regard to case, and reads up to.
inline constexpr QStringView kImg = u"<img";
inline constexpr QStringView kSrc = u"src=";
inline constexpr QStringView kBackground = u"background=";
inline constexpr QStringView kImages = u"images";
inline constexpr QChar kQuote = u'"';

// Where the markers occur in a page, without regard to case, overlapping occurrences included: every
// "<img" and "src=", and the first "background=".
struct PageMarkers {
    std::vector<qsizetype> images;
    std::vector<qsizetype> sources;
    std::vector<qsizetype> backgrounds;
};
PageMarkers markersOf(QStringView text);

// Where the walk over a page's picture references stands: about to visit the value [v, q) of a
// picture element, or of the first "background=".
struct ScanPoint {
    bool background = false;
    qsizetype v = 0;
    qsizetype q = 0;
};

// The picture rewriting of parsingImage() for a folder that brings no marker into the page (no "<img"
// nor its end, no quote, no "="; canRewriteInOnePass()),
// in time that grows with the page and its pictures, not with their product: every rewrite only puts
// the folder (and "\" or "\images\") in front of each occurrence of its value, so the page is kept as
// it was written plus the text put in front of its characters, and a value's occurrences are found
// once, in the page as written.
// Gives nothing when it has rewritten the whole page; otherwise the page as far as it came, for the
// step-by-step walk to take up at the point given: a value that the text put in front of could
// match, or that breaks up a marker, is left to it. A rewrite that would make the page longer than
// limit fails as replacing would, and so does one of a value that holds "<img" once markerRewrites
// (counted down) have been made; pageHtml is then left as it was before that rewrite. markers are the
// page's markersOf(pageHtml).
bool canRewriteInOnePass(QStringView applicationFolder);
std::optional<ScanPoint> rewriteInOnePass(QString &pageHtml, PageMarkers markers, QStringView applicationFolder,
                                          qsizetype limit, qsizetype &markerRewrites);

// Fails with "out of string space" (14): rewriting value would make the page longer than limit.
[[noreturn]] void failPageTooLong(QStringView value, qsizetype limit);
// Fails with "out of string space" (14): the scan keeps finding pictures in the text put in front of
// values, with the application folder given.
[[noreturn]] void failRewrittenTooOften(QStringView applicationFolder);

} // namespace book
