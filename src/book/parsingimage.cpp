#include "parsingimage.h"

#include <QStringMatcher>

#include <cstring>
#include <vector>

namespace book {
namespace {

constexpr QStringView kImg = u"<img";
constexpr QStringView kSrc = u"src=";
constexpr QStringView kBackground = u"background=";
constexpr QStringView kImages = u"images";
constexpr QChar kQuote = u'"';

// The first occurrence of what at or after from, without regard to case; -1 if none.
qsizetype find(const QString &text, QStringView what, qsizetype from)
{
    return text.indexOf(what, from, Qt::CaseInsensitive);
}

// Replaces every exact-case occurrence of value in one left-to-right scan; the inserted text is not
// scanned again. replacement is never shorter than value here, so the page grows in place: each
// rewrite moves the text after the first occurrence once, and spare capacity saves reallocating the
// page for every picture.
void replaceAll(QString &text, QStringView value, QStringView replacement)
{
    Q_ASSERT(replacement.size() >= value.size());
    std::vector<qsizetype> hits;
    const QStringMatcher matcher(value, Qt::CaseSensitive);
    for (qsizetype at = matcher.indexIn(text); at >= 0; at = matcher.indexIn(text, at + value.size()))
        hits.push_back(at);
    if (hits.empty())
        return;

    const qsizetype oldSize = text.size();
    const qsizetype newSize = oldSize + qsizetype(hits.size()) * (replacement.size() - value.size());
    if (text.capacity() < newSize)
        text.reserve(newSize + newSize / 4);
    text.resize(newSize);

    // From the back, so nothing is overwritten before it has moved.
    QChar *data = text.data();
    qsizetype end = oldSize;
    qsizetype out = newSize;
    for (auto hit = hits.rbegin(); hit != hits.rend(); ++hit) {
        const qsizetype after = *hit + value.size();
        out -= end - after;
        std::memmove(data + out, data + after, size_t(end - after) * sizeof(QChar));
        out -= replacement.size();
        std::memcpy(data + out, replacement.data(), size_t(replacement.size()) * sizeof(QChar));
        end = *hit;
    }
}

// Points the value that stands at [begin, end) of the page into the images folder.
void rewrite(QString &text, qsizetype begin, qsizetype end, QStringView folder)
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
    const QString replacement = folder + between + value;
    replaceAll(text, value, replacement);
}

} // namespace

void parsingImage(QString &pageHtml, QStringView applicationFolder)
{
    // Picture elements. Positions are taken in the text as it stands: after a rewrite the search for
    // the next "<img" goes on from where the closing quote was before it, which may pass over an
    // element again; its value then begins with the folder and is left alone.
    for (qsizetype p = find(pageHtml, kImg, 0); p >= 0;) {
        const qsizetype s = find(pageHtml, kSrc, p);
        if (s < 0)
            break;
        // "src=" and the one character after it, taken to be the opening quote.
        const qsizetype v = s + kSrc.size() + 1;
        const qsizetype q = pageHtml.indexOf(kQuote, v);
        if (q < 0)
            break;
        rewrite(pageHtml, v, q, applicationFolder);
        p = find(pageHtml, kImg, q);
    }

    // Only the first "background=" of the page, whatever carries it.
    const qsizetype b = find(pageHtml, kBackground, 0);
    if (b < 0)
        return;
    const qsizetype v = b + kBackground.size() + 1;
    const qsizetype q = pageHtml.indexOf(kQuote, v);
    if (q >= 0)
        rewrite(pageHtml, v, q, applicationFolder);
}

} // namespace book
