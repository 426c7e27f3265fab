#include "author/pagerewrite.h"

#include "book/bookformat.h"
#include "book/htmlreading.h"
#include "book/htmlscan.h"
#include "platform/codepage.h"

#include <QStringDecoder>
#include <QUtf8StringView>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using book::HtmlAttribute;
using book::HtmlScanner;
using book::HtmlToken;

namespace {

constexpr QStringView kPictureMarker = u"<img";
constexpr QStringView kBackgroundMarker = u"background=";
constexpr QStringView kBackgroundName = kBackgroundMarker.first(kBackgroundMarker.size() - 1);

bool holdsReaderMarker(QStringView text)
{
    return text.contains(kPictureMarker, Qt::CaseInsensitive) || text.contains(kBackgroundMarker, Qt::CaseInsensitive);
}

void countSeparator(TextChanges &changes, const book::Separator &separator)
{
    if (separator.text == book::kRecordSeparator)
        ++changes.tildes;
    else if (separator.text == book::kFieldSeparator)
        ++changes.doubleHashes;
    else
        ++changes.sectionMarks;
}

// Pieces end and begin at "<" and ">", so only "<<$$>>" can form across two of them, as a tag
// "<x<<$$>" followed by text ">": broken markup, which the references keep whole as text. Found by
// its "$", which pages rarely hold, where its "<" would stop the search at every tag. out is a page's
// text, or its bytes as the book holds them, where the mark stands as it does in the text.
template <typename Text> void writeSectionMarksApart(Text &out, TextChanges &changes)
{
    constexpr bool text = std::is_same_v<Text, QString>;
    using View = std::conditional_t<text, QStringView, QByteArrayView>;
    const auto in = [](QLatin1StringView latin1) {
        if constexpr (text)
            return latin1;
        else
            return QByteArrayView(latin1.data(), latin1.size());
    };
    const book::Separator &section = *book::separatorAt(QString(book::kSectionSeparator));
    const qsizetype firstDollar = section.text.indexOf(u'$');
    const auto dollar = std::conditional_t<text, char16_t, char>('$');
    for (qsizetype at = out.indexOf(dollar, firstDollar); at >= 0; at = out.indexOf(dollar, at + 1)) {
        const qsizetype begin = at - firstDollar;
        if (!View(out).sliced(begin).startsWith(in(section.text)))
            continue;
        out.replace(begin, section.text.size(), in(section.reference));
        countSeparator(changes, section);
        at = begin + section.reference.size() - 1;
    }
}

// The characters of text that Windows-1252 lacks.
qsizetype countOutsideCodePage(QStringView text)
{
    qsizetype count = 0;
    const char16_t *units = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        i = platform::asciiRunEnd(text, i);
        if (i >= text.size())
            break;
        const char16_t c = units[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(units[i + 1])) {
            ++i; // one character, two code units
            ++count;
            continue;
        }
        count += book::inCodePage(c) ? 0 : 1;
    }
    return count;
}

// The first unit at or after i that a separator or a marker may begin with ("~", "#", "<", "b", "B"),
// or one that only looks alike to the quick test; size when there is none. Eight units at a time
// where the machine allows: the whole text of every page goes through here, most of it in pieces of a
// few units, whose last units are read eight at a time too where readable units follow them.
qsizetype nextMayBegin(const char16_t *units, qsizetype i, qsizetype size, qsizetype readable)
{
    Q_ASSERT(readable >= size);
#if defined(__SSE2__)
    const __m128i lowerBit = _mm_set1_epi16(0x20);
    const __m128i tilde = _mm_set1_epi16(u'~');
    const __m128i hash = _mm_set1_epi16(u'#');
    const __m128i less = _mm_set1_epi16(u'<');
    const __m128i b = _mm_set1_epi16(u'b');
    const auto hitsAt = [&](qsizetype at) {
        // With the letter-case bit set, "B" reads as "b"; "~", "#" and "<" have it already.
        const __m128i chunk = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(units + at)), lowerBit);
        return unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(chunk, tilde), _mm_cmpeq_epi16(chunk, hash)),
                                           _mm_or_si128(_mm_cmpeq_epi16(chunk, less), _mm_cmpeq_epi16(chunk, b)))));
    };
    for (; size - i >= 8; i += 8) {
        if (const unsigned hits = hitsAt(i))
            return i + __builtin_ctz(hits) / 2;
    }
    if (i < size && readable - i >= 8) {
        const unsigned hits = hitsAt(i) & ((1U << (2 * (size - i))) - 1); // of the units before size
        return hits != 0 ? i + __builtin_ctz(hits) / 2 : size;
    }
#endif
    while (i < size && units[i] != u'~' && units[i] != u'#' && units[i] != u'<' && (units[i] | 0x20) != u'b')
        ++i;
    return i;
}

// Writes what the book format can't hold as character references. With markers, also what the
// reader's picture rewriting would take for a picture ("<img", "background="), where the page's own
// elements don't stand: in text, comments and attribute values. Out is a QString or a PageOut. within
// is the text that text is part of, if any, which is read beyond it, never past its end.
template <typename Out>
void appendEscaped(Out &out, QStringView text, TextChanges &changes, bool markers, QStringView within = {})
{
    const qsizetype readable = within.isNull() ? text.size() : within.utf16() + within.size() - text.utf16();
    // One pass: runs without anything to escape are appended whole.
    qsizetype run = 0;
    const auto flush = [&](qsizetype at) { out += text.sliced(run, at - run); };
    qsizetype i = 0;
    const char16_t *units = text.utf16();
    // The character after i, in lower case if it is an ASCII letter; 0 at the end.
    const auto lowerAfter = [&](qsizetype at) { return at + 1 < text.size() ? char16_t(units[at + 1] | 0x20) : 0; };
    while (i < text.size()) {
        i = nextMayBegin(units, i, text.size(), readable);
        if (i >= text.size())
            break;
        const char16_t c = units[i];
        // What no separator nor marker begins with goes on at once: nearly every character. Nor can
        // "#" but before "#", "<" but before "<" or "i", "b" but before "a".
        const bool mayBegin = c == u'~' || (c == u'#' && i + 1 < text.size() && units[i + 1] == u'#') ||
                              (c == u'<' && (lowerAfter(i) == u'<' || (markers && lowerAfter(i) == u'i'))) ||
                              ((c == u'b' || c == u'B') && markers && lowerAfter(i) == u'a');
        if (!mayBegin) {
            ++i;
            continue;
        }
        const QStringView rest = text.sliced(i);
        QLatin1StringView reference;
        qsizetype length = 0;
        if (const book::Separator *separator = book::separatorAt(rest)) {
            reference = separator->reference;
            length = separator->text.size();
            countSeparator(changes, *separator);
        } else if (markers && c == u'<' && rest.startsWith(kPictureMarker, Qt::CaseInsensitive)) {
            reference = QLatin1StringView("&lt;");
            length = 1;
        } else if (markers && (c == u'b' || c == u'B') && rest.startsWith(kBackgroundMarker, Qt::CaseInsensitive)) {
            // The letters stay as written; only the "=" becomes a reference.
            flush(i + kBackgroundMarker.size() - 1);
            out += u"&#61;";
            i += kBackgroundMarker.size();
            run = i;
            continue;
        }
        if (length == 0) {
            ++i;
            continue;
        }
        flush(i);
        out += reference;
        i += length;
        run = i;
    }
    flush(text.size());
}

// A value written between double quotes.
template <typename Out> void appendAttributeValue(Out &out, const QString &value, TextChanges &changes)
{
    const auto *units = reinterpret_cast<const char16_t *>(value.utf16());
    if (book::html::findEither(units, units + value.size(), u'&', u'"') == units + value.size()) {
        appendEscaped(out, value, changes, true);
        return;
    }
    QString raw = value;
    raw.replace(u'&', QStringLiteral("&amp;")).replace(u'"', QStringLiteral("&quot;"));
    appendEscaped(out, raw, changes, true);
}

// A reference that a browser resolves against the document's folder.
bool isRelativeReference(QStringView url)
{
    return book::readUrl(url, {}).kind == book::UrlReference::Relative;
}

// One replacement of a reference inside CSS or a srcset: [begin, end) of the text gets url.
struct UrlEdit {
    qsizetype begin;
    qsizetype end;
    QString url;
    QChar quote; // the quote to write it in; null: as it stands, unquoted
};

QString applyEdits(QStringView text, const std::vector<UrlEdit> &edits, QStringView relativePrefix)
{
    QString out;
    qsizetype at = 0;
    for (const UrlEdit &edit : edits) {
        out += text.sliced(at, edit.begin - at);
        const QString url = isRelativeReference(edit.url) ? QString(relativePrefix + edit.url) : edit.url;
        if (edit.quote.isNull()) {
            out += url;
        } else {
            QString escaped = url;
            escaped.replace(u'\\', QStringLiteral("\\\\")).replace(edit.quote, QString(u'\\' + edit.quote));
            out += edit.quote + escaped + edit.quote;
        }
        at = edit.end;
    }
    out += text.sliced(at);
    return out;
}

// The references of a style sheet, each handed to the site.
std::vector<UrlEdit> cssEdits(QStringView css, PageSite &site, qsizetype offset)
{
    std::vector<UrlEdit> edits;
    for (const book::CssReference &reference : book::cssReferences(css)) {
        QChar quote = reference.quote;
        if (auto rewritten = site.rewrite(UrlRole::File, reference.url.trimmed(), offset + reference.begin)) {
            // Unquoted, a url() can't hold blanks, quotes or parentheses.
            if (quote.isNull() &&
                (rewritten->contains(u' ') || rewritten->contains(u'"') || rewritten->contains(u'\'') ||
                 rewritten->contains(u'(') || rewritten->contains(u')')))
                quote = u'"';
            edits.push_back({reference.begin, reference.end, *rewritten, quote});
        }
    }
    return edits;
}

// The candidates of a srcset: "url descriptor, url descriptor".
QString rewriteSrcset(QStringView srcset, PageSite &site, qsizetype offset, bool &changed)
{
    std::vector<UrlEdit> edits;
    qsizetype i = 0;
    while (i < srcset.size()) {
        while (i < srcset.size() && (srcset[i].isSpace() || srcset[i] == u','))
            ++i;
        const qsizetype begin = i;
        while (i < srcset.size() && !srcset[i].isSpace())
            ++i;
        qsizetype end = i;
        while (end > begin && srcset[end - 1] == u',')
            --end;
        if (end > begin) {
            if (auto rewritten =
                    site.rewrite(UrlRole::File, srcset.sliced(begin, end - begin).toString(), offset + begin))
                edits.push_back({begin, end,
                                 rewritten->replace(u' ', QStringLiteral("%20")).replace(u',', QStringLiteral("%2C")),
                                 QChar()});
        }
        if (end == i) // descriptors follow, up to the next comma
            while (i < srcset.size() && srcset[i] != u',')
                ++i;
    }
    changed = !edits.empty();
    return applyEdits(srcset, edits, {});
}

// Whether take() gives true for a word of an element's "rel", in lower case. A value of ASCII without
// references, as nearly every one is, is lowered without an allocation: rustdoc's pages have ten
// <link>s each, and each is asked twice.
template <typename Take> bool anyRelation(const HtmlToken &tag, Take &&take)
{
    const HtmlAttribute *rel = tag.attribute(u"rel");
    if (!rel)
        return false;
    constexpr qsizetype kShort = 64;
    QVarLengthArray<char16_t, kShort> ascii;
    QString other;
    QStringView value;
    const QStringView raw = rel->rawValue;
    if (raw.size() <= kShort &&
        std::all_of(raw.begin(), raw.end(), [](QChar c) { return c.unicode() < 0x80 && c != u'&'; })) {
        for (const QChar c : raw)
            ascii.append(char16_t(book::html::asciiLower(c.unicode())));
        value = QStringView(ascii.data(), ascii.size());
    } else {
        other = rel->value().toLower();
        value = other;
    }
    for (qsizetype i = 0; i < value.size();) {
        while (i < value.size() && value[i].isSpace())
            ++i;
        const qsizetype begin = i;
        while (i < value.size() && !value[i].isSpace())
            ++i;
        if (i > begin && take(value.sliced(begin, i - begin)))
            return true;
    }
    return false;
}

bool isJavaScript(const HtmlToken &tag)
{
    const HtmlAttribute *type = tag.attribute(u"type");
    if (!type)
        return true;
    const QString value = type->value().trimmed().toLower();
    return value.isEmpty() || value == u"module" || value.contains(u"javascript") || value.contains(u"ecmascript") ||
           value.contains(u"jscript");
}

// Whether the reader takes an element of this name for a picture: its name begins with "img", in any
// case. Asked of every tag, so without a call: no other character folds to these letters.
bool isPictureName(QStringView name)
{
    const auto lower = [&](qsizetype i) { return book::html::asciiLower(name[i].unicode()); };
    return name.size() >= 3 && lower(0) == u'i' && lower(1) == u'm' && lower(2) == u'g';
}

// roleOf() for an attribute whose name has the length of one that references.
std::optional<UrlRole> roleOfLikely(const HtmlToken &tag, const HtmlAttribute &attribute)
{
    const QStringView name = attribute.name;
    const auto is = [&](QStringView n) { return book::sameName(name, n); };
    if (is(u"background"))
        return UrlRole::Picture;
    if (is(u"href")) {
        if (tag.is(u"a") || tag.is(u"area"))
            return UrlRole::Link;
        if (tag.is(u"link")) {
            const bool file = anyRelation(tag, [](QStringView r) {
                return r == u"stylesheet" || r.contains(u"icon") || r == u"preload" || r == u"prefetch" ||
                       r == u"manifest" || r == u"modulepreload";
            });
            return file ? UrlRole::File : UrlRole::Link;
        }
        return std::nullopt;
    }
    if (is(u"src")) {
        // The reader takes every "<img" for a picture; the parser takes <image> for an <img> too.
        if (isPictureName(tag.name) || tag.is(u"image"))
            return UrlRole::Picture;
        if (tag.is(u"script") || tag.is(u"iframe") || tag.is(u"frame") || tag.is(u"embed") || tag.is(u"video") ||
            tag.is(u"audio") || tag.is(u"source") || tag.is(u"track") || tag.is(u"input"))
            return UrlRole::File;
        return std::nullopt;
    }
    // A search form that submits to a page of the site: to that page of the book.
    if (is(u"action") && tag.is(u"form"))
        return UrlRole::Link;
    if ((is(u"data") && tag.is(u"object")) || (is(u"poster") && tag.is(u"video")))
        return UrlRole::File;
    return std::nullopt;
}

// Which references of an element's attributes go where. Most attributes are none of these, and tell so
// by their length, without a call: a page has tens of thousands.
inline std::optional<UrlRole> roleOf(const HtmlToken &tag, const HtmlAttribute &attribute)
{
    const qsizetype length = attribute.name.size();
    if (length != 3 && length != 4 && length != 6 && length != 10)
        return std::nullopt;
    return roleOfLikely(tag, attribute);
}

// Pieces held whole, as a draft keeps those it leaves for later.
class HeldPieces {
public:
    explicit HeldPieces(const std::vector<HtmlToken> &tokens) : tokens_(tokens) {}
    const HtmlToken *at(size_t i) const { return i < tokens_.size() ? &tokens_[i] : nullptr; }

private:
    const std::vector<HtmlToken> &tokens_;
};

// The pieces of a page read as they are asked for, and let go of behind: a page has hundreds of
// thousands, each with its attributes. The few asked for at once stay in a ring, each read into the
// room of one let go of, where it stays while later ones are read: the rewriting holds a tag while it
// reads the content after it.
class ReadPieces {
public:
    // html is the page's text from origin on, where the pieces' places are counted from.
    explicit ReadPieces(QStringView html, qsizetype origin = 0) : scanner_(html), origin_(origin) {}

    // The piece i, or null past the last; i is no piece let go of.
    const HtmlToken *at(size_t i)
    {
        while (!ended_ && i >= first_ + held_) {
            // A unit of pieces (a script, its text and its end) and the one after it: never more.
            Q_ASSERT(held_ < kRoom);
            HtmlToken &piece = ring_[(first_ + held_) % kRoom];
            if (scanner_.next(piece)) {
                ++held_;
                if (origin_ != 0)
                    moveBy(piece, origin_);
            } else {
                ended_ = true;
            }
        }
        return i < first_ + held_ ? &ring_[i % kRoom] : nullptr;
    }

    // The pieces before i are not asked for again.
    void letGo(size_t i)
    {
        const size_t done = std::min(i - first_, held_);
        first_ += done;
        held_ -= done;
    }

private:
    static void moveBy(HtmlToken &piece, qsizetype by)
    {
        piece.begin += by;
        piece.end += by;
        for (HtmlAttribute &attribute : piece.attributes) {
            attribute.begin += by;
            attribute.end += by;
            attribute.valueBegin += attribute.valueBegin >= 0 ? by : 0;
        }
    }

    static constexpr size_t kRoom = 8;
    HtmlScanner scanner_;
    qsizetype origin_;
    std::array<HtmlToken, kRoom> ring_;
    size_t first_ = 0; // the pieces first_ to first_ + held_ are held
    size_t held_ = 0;
    bool ended_ = false;
};

// The text a page is rewritten into, or its bytes as the book holds it. What is copied from the page
// as it stands comes in runs, each copied once it ends: most of a page is copied, piece by piece, and
// a copy costs more than a piece. While a draft's piece asks the site, what it writes is dropped: the
// piece is written again with the site's answers.
class PageOut {
public:
    explicit PageOut(QStringView page, std::optional<book::TextForm> encodedAs = std::nullopt)
        : page_(page), encoded_(encodedAs)
    {
    }

    PageOut &operator+=(QStringView text)
    {
        if (text.isEmpty() || dropped())
            return *this;
        const char16_t *begin = text.utf16();
        const auto at = [](const char16_t *p) { return reinterpret_cast<quintptr>(p); };
        if (at(begin) < at(page_.utf16()) || at(begin + text.size()) > at(page_.utf16() + page_.size())) {
            flush();
            write(text);
        } else if (begin == runEnd_) {
            runEnd_ += text.size();
        } else {
            flush();
            runBegin_ = begin;
            runEnd_ = begin + text.size();
        }
        return *this;
    }
    PageOut &operator+=(QLatin1StringView text)
    {
        if (dropped())
            return *this;
        flush();
        if (encoded_)
            encoded_->append(text);
        else
            text_ += text;
        return *this;
    }
    PageOut &operator+=(QChar c) { return *this += QStringView(&c, 1); }

    void reserve(qsizetype units)
    {
        if (encoded_)
            encoded_->reserve(units + units / 16);
        else
            text_.reserve(units + units / 8);
    }
    void dropWhile(const bool *asked) { dropWhile_ = asked; }
    // Goes on with another part of the page's text: what is left of the last is copied first, as
    // the part's memory may be written over.
    void read(QStringView page)
    {
        flush();
        page_ = page;
    }

    // What is written so far, for changes other than appending.
    QString &text()
    {
        flush();
        return text_;
    }
    // Ends the bytes so far as a whole page would end: gives where they stand after it.
    qsizetype cut()
    {
        flush();
        return encoded_->cut();
    }
    QByteArray takeBytes(qsizetype *unheld)
    {
        flush();
        return encoded_->take(unheld);
    }

private:
    bool dropped() const { return dropWhile_ && *dropWhile_; }
    void write(QStringView text)
    {
        if (encoded_)
            encoded_->append(text);
        else
            text_ += text;
    }
    void flush()
    {
        if (runEnd_ == runBegin_)
            return;
        write(QStringView(runBegin_, runEnd_));
        runBegin_ = runEnd_ = nullptr;
    }

    QStringView page_;
    QString text_;
    std::optional<book::PageTextStream> encoded_;
    const bool *dropWhile_ = nullptr;
    const char16_t *runBegin_ = nullptr; // the run of the page's own text not yet copied
    const char16_t *runEnd_ = nullptr;
};

class PageRewriter {
public:
    // html is the page's text from origin on: all of it, or a part that a draft held.
    PageRewriter(QStringView html, PageSite &site, TextChanges &changes,
                 std::optional<book::TextForm> encodedAs = std::nullopt, qsizetype origin = 0)
        : html_(html), origin_(origin), site_(site), changes_(changes), out_(html, encodedAs)
    {
    }

    QString run()
    {
        out_.reserve(html_.size());
        ReadPieces pieces(html_);
        for (size_t i = 0; pieces.at(i);) {
            i = appendUnit(pieces, i);
            pieces.letGo(i);
        }
        return finish();
    }

    // Writes the piece at pieces.at(i), with the content and end of a script or style; gives the
    // index after them.
    template <typename Pieces> size_t appendUnit(Pieces &pieces, size_t i)
    {
        const HtmlToken &token = *pieces.at(i);
        if (token.kind != HtmlToken::StartTag) {
            // An end tag, text, a comment, a declaration, or a script or style end that has none.
            appendEscaped(out_, slice(token.begin, token.end), changes_, true, html_);
            return i + 1;
        }
        if (!token.is(u"script") && !token.is(u"style")) {
            tag(token, {});
            return i + 1;
        }
        const HtmlToken *content = pieces.at(i + 1);
        if (content && content->kind != HtmlToken::RawText)
            content = nullptr;
        const bool dropEndTag = rawTextElement(token, content);
        if (content)
            ++i;
        if (const HtmlToken *after = pieces.at(i + 1); dropEndTag && after && after->kind == HtmlToken::EndTag)
            ++i;
        return i + 1;
    }

    void reserve(qsizetype size) { out_.reserve(size); }

    // Goes on with the page's text from origin on.
    void read(QStringView html, qsizetype origin)
    {
        html_ = html;
        origin_ = origin;
        out_.read(html);
    }

    // Of a rewriter that encodes: where the bytes stand, and the bytes.
    qsizetype cut() { return out_.cut(); }
    QByteArray takeBytes(qsizetype *unheld) { return out_.takeBytes(unheld); }

    // Drafting: once *asked, what is left of a piece is not written.
    void draftFor(const bool *asked)
    {
        draftAsked_ = asked;
        out_.dropWhile(asked);
    }

    QString finish()
    {
        QString &out = out_.text();
        writeSectionMarksApart(out, changes_);
        changes_.outsideCodePage += countOutsideCodePage(out);
        return std::move(out);
    }

private:
    QStringView slice(qsizetype begin, qsizetype end) const { return html_.sliced(begin - origin_, end - begin); }

    // The new value of each attribute that has one; empty when none has, as for most tags, which then
    // cost no allocation.
    std::vector<std::optional<QString>> newValues(const HtmlToken &tag)
    {
        std::vector<std::optional<QString>> values;
        const auto set = [&](size_t a, std::optional<QString> value) {
            if (!value)
                return;
            if (values.empty())
                values.resize(tag.attributes.size());
            values[a] = std::move(value);
        };
        for (size_t a = 0; a < tag.attributes.size(); ++a) {
            const HtmlAttribute &attribute = tag.attributes[a];
            if (attribute.valueBegin < 0)
                continue;
            const bool style = book::sameName(attribute.name, u"style");
            const bool srcset =
                !style && book::sameName(attribute.name, u"srcset") && (tag.is(u"img") || tag.is(u"source"));
            const std::optional<UrlRole> role = style || srcset ? std::nullopt : roleOf(tag, attribute);
            if ((!style && !srcset && !role) || tag.attribute(attribute.name) != &attribute)
                continue; // nothing to rewrite, or a second attribute of the name, which the parser drops
            if (style) {
                const QString css = attribute.value();
                const std::vector<UrlEdit> edits = cssEdits(css, site_, attribute.valueBegin);
                if (!edits.empty())
                    set(a, applyEdits(css, edits, {}));
            } else if (srcset) {
                bool changed = false;
                QString rewritten = rewriteSrcset(attribute.value(), site_, attribute.valueBegin, changed);
                if (changed)
                    set(a, std::move(rewritten));
            } else {
                set(a, site_.rewrite(*role, attribute.value().trimmed(), attribute.valueBegin));
            }
        }
        return values;
    }

    static const std::optional<QString> &valueAt(const std::vector<std::optional<QString>> &values, size_t a)
    {
        static const std::optional<QString> kNone;
        return a < values.size() ? values[a] : kNone;
    }

    // Writes a start tag with its references rewritten; inserted goes right after the tag's name.
    // Picture references stand in double quotes, where the reader's rewriting reads them: an element
    // that the reader takes for a picture ("<img" begins its name) gets its source first, empty if it
    // has none, so that the reader's search for "src=" can't reach into the elements after it.
    void tag(const HtmlToken &token, const QString &inserted)
    {
        const std::vector<std::optional<QString>> values = newValues(token);
        if (draftAsked_ && *draftAsked_)
            return; // a draft's tag that asked the site is written again with it: not twice
        if (inserted.isEmpty() && nothingToEscape(token)) {
            // As written, each new value in place of the old one: what the writing piece by piece
            // below gives such a tag, at the cost of a few copies.
            qsizetype at = token.begin;
            for (size_t a = 0; a < values.size(); ++a) {
                if (!values[a])
                    continue;
                const HtmlAttribute &attribute = token.attributes[a];
                out_ += slice(at, attribute.begin + attribute.name.size());
                out_ += u"=\"";
                appendAttributeValue(out_, *values[a], changes_);
                out_ += u'"';
                at = attribute.end;
            }
            out_ += slice(at, token.end);
            return;
        }
        out_ += u'<';
        // Only broken markup has "=" in a tag's name; written as a reference it can't make "src=".
        appendEscaped(out_, QString(token.name.toString()).replace(u'=', QStringLiteral("&#61;")), changes_, true);
        out_ += inserted;
        qsizetype at = token.begin + 1 + token.name.size();
        const bool picture = isPictureName(token.name);
        const HtmlAttribute *source = picture ? token.attribute(u"src") : nullptr;
        if (picture) {
            out_ += u" src=\"";
            if (source)
                appendAttributeValue(
                    out_, valueAt(values, size_t(source - token.attributes.data())).value_or(source->value()),
                    changes_);
            out_ += u'"';
        }
        for (size_t a = 0; a < token.attributes.size(); ++a) {
            const HtmlAttribute &attribute = token.attributes[a];
            if (&attribute == source) {
                // Written first, the blanks before it left out, unless the next attribute touches it
                // ("src=\"p.png\"#b"): what stood on either side would join ("a#" and "#b" read "##").
                const char16_t after = attribute.end < token.end ? html_[attribute.end - origin_].unicode() : u'>';
                if (!book::html::isSpace(after) && after != u'/' && after != u'>')
                    appendEscaped(out_, slice(at, attribute.begin), changes_, false);
                at = attribute.end;
                continue;
            }
            appendEscaped(out_, slice(at, attribute.begin), changes_, false);
            at = attribute.end;
            // The first "background" of an element is its picture; a second one the parser drops.
            const bool background =
                book::sameName(attribute.name, u"background") && token.attribute(attribute.name) == &attribute;
            appendName(attribute, background);
            if (attribute.valueBegin < 0)
                continue;
            if (valueAt(values, a) || background) {
                out_ += u"=\"";
                appendAttributeValue(out_, valueAt(values, a).value_or(attribute.value()), changes_);
                out_ += u'"';
            } else {
                const qsizetype nameEnd = attribute.begin + attribute.name.size();
                appendEscaped(out_, slice(nameEnd, attribute.valueBegin), changes_, false);
                appendEscaped(out_, attribute.rawValue, changes_, true);
                appendEscaped(out_, slice(attribute.valueBegin + attribute.rawValue.size(), attribute.end), changes_,
                              false);
            }
        }
        appendEscaped(out_, slice(at, token.end), changes_, false);
    }

    // Whether writing the tag piece by piece, as tag() does, would give back what it holds beside its
    // values as written: it is no picture, and nothing in it is escaped or written anew. Most tags are
    // such.
    bool nothingToEscape(const HtmlToken &token) const
    {
        if (isPictureName(token.name) || std::find(token.name.begin(), token.name.end(), u'=') != token.name.end())
            return false;
        // No separator nor marker: "~", "##", "<" but the tag's own, and "background", which every
        // attribute of that name or ending in it is rewritten for.
        const QStringView text = slice(token.begin + 1, token.end);
        const char16_t *units = text.utf16();
        const qsizetype readable = html_.utf16() + html_.size() - units;
        for (qsizetype i = nextMayBegin(units, 0, text.size(), readable); i < text.size();
             i = nextMayBegin(units, i + 1, text.size(), readable)) {
            const char16_t c = units[i];
            if (c == u'~' || c == u'<' || (c == u'#' && i + 1 < text.size() && units[i + 1] == u'#'))
                return false;
            // Only "ba" may begin it: most tags hold a "b", few "background".
            if ((c | 0x20) == u'b' && i + 1 < text.size() && (units[i + 1] | 0x20) == u'a' &&
                text.sliced(i).startsWith(kBackgroundName, Qt::CaseInsensitive))
                return false;
        }
        return true;
    }

    // An attribute's name, where the reader can't take it for a picture marker unless it is the
    // element's picture: "xbackground=" would read as the page's background, "xbackground =" is the
    // same attribute to the parser.
    void appendName(const HtmlAttribute &attribute, bool picture)
    {
        appendEscaped(out_, attribute.name, changes_, true);
        if (attribute.valueBegin >= 0 && !picture && attribute.name.endsWith(u"background", Qt::CaseInsensitive))
            out_ += u' ';
    }

    // A <script> or <style> and its text. Gives true when the element became one without an end tag.
    bool rawTextElement(const HtmlToken &token, const HtmlToken *content)
    {
        const QStringView raw = content ? slice(content->begin, content->end) : QStringView();
        if (token.is(u"style")) {
            const std::vector<UrlEdit> edits = cssEdits(raw, site_, content ? content->begin : 0);
            const QString css = applyEdits(raw, edits, {});
            if (!mustMove(css)) {
                tag(token, {});
                appendEscaped(out_, css, changes_, true);
                return false;
            }
            // References can't stand in a style sheet: it goes into a file of its own, one folder
            // down, so its relative references climb one folder.
            const QString path = site_.keepAside(u"css", applyEdits(raw, edits, u"../"));
            ++changes_.stylesMoved;
            out_ += u"<link rel=\"stylesheet\" href=\"";
            appendAttributeValue(out_, path, changes_);
            out_ += u'"';
            for (const HtmlAttribute &attribute : token.attributes) {
                if (book::sameName(attribute.name, u"type") || book::sameName(attribute.name, u"rel") ||
                    book::sameName(attribute.name, u"href"))
                    continue;
                out_ += u' ';
                appendName(attribute, false);
                if (attribute.valueBegin >= 0) {
                    out_ += u"=\"";
                    appendAttributeValue(out_, attribute.value(), changes_);
                    out_ += u'"';
                }
            }
            out_ += u'>';
            return true;
        }
        if (mustMove(raw) && !token.attribute(u"src") && isJavaScript(token)) {
            const QString path = site_.keepAside(u"js", raw.toString());
            ++changes_.scriptsMoved;
            QString source = QStringLiteral(" src=\"");
            appendAttributeValue(source, path, changes_);
            tag(token, source + u'"');
            return false;
        }
        // A script that is not run as text of the page (it has a source, or holds data): references
        // are the only way to keep its text whole in the book.
        tag(token, {});
        appendEscaped(out_, raw, changes_, true);
        return false;
    }

    static bool mustMove(QStringView text)
    {
        return book::holdsSeparator(text) || holdsReaderMarker(text) || countOutsideCodePage(text) > 0;
    }

    QStringView html_;
    qsizetype origin_;
    PageSite &site_;
    TextChanges &changes_;
    PageOut out_;
    const bool *draftAsked_ = nullptr;
};

bool isUtf8Label(QStringView label)
{
    return label == u"utf-8" || label == u"utf8" || label == u"unicode-1-1-utf-8";
}

// Labels that browsers read as Windows-1252.
bool isWindows1252Label(QStringView label)
{
    static const QStringView kLabels[] = {u"windows-1252", u"cp1252", u"x-cp1252", u"iso-8859-1", u"iso8859-1",
                                          u"iso_8859-1",   u"latin1", u"l1",       u"us-ascii",   u"ascii",
                                          u"iso-ir-100",   u"ibm819", u"cp819",    u"csisolatin1"};
    for (const QStringView known : kLabels)
        if (label == known)
            return true;
    return false;
}

// How a page file's bytes are read, told before they are: by the one rule that the page view serves
// the file by. What a byte-order mark says, else what the page declares, else UTF-8 where the bytes
// are, else Windows-1252.
struct PageCoding {
    enum By { CodePage, Utf8, Decoder };
    By by = Decoder;
    QByteArrayView body;    // without its byte-order mark
    QString charset;        // the name of the character set read by
    QString problem;        // what reading the bytes so says, as far as it is known before they are read
    bool validUtf8 = false; // known to be, from telling the character set
};

PageCoding pageCoding(QByteArrayView bytes)
{
    const QString declared = platform::declaredCharset(bytes);
    const QString charset = QString::fromLatin1(platform::charsetOf(bytes, declared));
    QByteArrayView body = bytes;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        body = bytes.sliced(3);
    else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        body = bytes.sliced(2);

    if (isWindows1252Label(charset)) {
        // Every byte is a character here: nothing is lost.
        return {PageCoding::CodePage, body, QStringLiteral("windows-1252"),
                declared.isEmpty()
                    ? QStringLiteral("declares no character set and is not UTF-8 text; read as Windows-1252")
                    : QString()};
    }
    if (isUtf8Label(charset)) // read to tell when it has no mark and declares nothing
        return {
            PageCoding::Decoder, body, QStringLiteral("utf-8"), {}, body.size() == bytes.size() && declared.isEmpty()};
    if (!QStringDecoder(charset.toLatin1().constData()).isValid()) {
        if (QUtf8StringView(body.data(), body.size()).isValidUtf8())
            return {PageCoding::Utf8, body, QStringLiteral("utf-8"),
                    QStringLiteral("declares the character set \"%1\", which is not known; read as UTF-8").arg(charset),
                    true};
        return {
            PageCoding::CodePage, body, QStringLiteral("windows-1252"),
            QStringLiteral("declares the character set \"%1\", which is not known; read as Windows-1252").arg(charset)};
    }
    return {PageCoding::Decoder, body, charset, {}};
}

// The text of a page file read as coding tells; problem as decodePage() tells it.
PageText decodeAs(PageCoding coding, QString *problem)
{
    QString text;
    switch (coding.by) {
    case PageCoding::CodePage:
        text = platform::decodeCodePage(coding.body);
        break;
    case PageCoding::Utf8:
        text = QString::fromUtf8(coding.body);
        break;
    case PageCoding::Decoder: {
        const bool utf8 = isUtf8Label(coding.charset);
        QStringDecoder decoder =
            utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder(coding.charset.toLatin1().constData());
        // As a browser reads it, and as the reader shows such a file: what isn't of the character set
        // becomes U+FFFD, and the report says so.
        text = decoder.decode(coding.body);
        if (decoder.hasError())
            coding.problem = QStringLiteral("is not %1 text throughout; what isn't is read as U+FFFD, as a browser "
                                            "reads it")
                                 .arg(utf8 ? QStringLiteral("UTF-8") : coding.charset);
        break;
    }
    }
    if (problem)
        *problem = coding.problem;
    return {text, coding.charset};
}

// The "href" of a <link> or <a> start tag whose "rel" holds "next", blanks around cut; nothing for
// any other tag.
std::optional<QString> nextReferenceOf(const HtmlToken &token)
{
    if (!(token.is(u"link") || token.is(u"a")))
        return std::nullopt;
    // "rel" first: a page has thousands of <a href>, and hardly a "rel" among them.
    if (!anyRelation(token, [](QStringView r) { return r == u"next"; }))
        return std::nullopt;
    const HtmlAttribute *href = token.attribute(u"href");
    return href ? std::optional(href->value().trimmed()) : std::nullopt;
}

// What a draft's pieces ask of a site: only whether they ask what the answers can't tell.
class DraftSite final : public PageSite {
public:
    explicit DraftSite(const DraftAnswers *answers) : answers_(answers) {}

    std::optional<QString> rewrite(UrlRole role, const QString &url, qsizetype) override
    {
        if (answers_) {
            if (std::optional<std::optional<QString>> known = answers_->answer(role, url)) {
                rewrittenByAnswers += known->has_value() ? 1 : 0;
                return *known;
            }
        }
        asked = true;
        return std::nullopt;
    }
    QString keepAside(QStringView, const QString &) override
    {
        asked = true;
        return {};
    }
    bool asked = false;
    qsizetype rewrittenByAnswers = 0;

private:
    const DraftAnswers *answers_;
};

void subtract(TextChanges &from, const TextChanges &counted)
{
    from.tildes -= counted.tildes;
    from.doubleHashes -= counted.doubleHashes;
    from.sectionMarks -= counted.sectionMarks;
    from.scriptsMoved -= counted.scriptsMoved;
    from.stylesMoved -= counted.stylesMoved;
}

// Drafts a page a part of its text at a time, each part read as if the page went on after it, up to
// where what follows might change how it reads.
class PageDrafter {
public:
    PageDrafter(book::TextForm form, const DraftAnswers *answers, qsizetype size, DraftReading *reading = nullptr)
        : site_(answers), rewriter_({}, site_, draft_.changes, form), reading_(reading)
    {
        draft_.form = form;
        rewriter_.reserve(size);
        rewriter_.draftFor(&site_.asked);
    }

    // Drafts the pieces of part, the page's text from origin on: all of them when it is the last, else
    // those up to the first whose reading the text after the part might change. Gives where in part
    // that piece begins. linesBefore() gives the line breaks of the page before origin, asked only
    // when a piece left to redo is told after them.
    template <typename LinesBefore>
    qsizetype draft(QStringView part, qsizetype origin, bool last, LinesBefore &&linesBefore)
    {
        rewriter_.read(part, origin);
        ReadPieces pieces(part, origin);
        // A piece is told by the few characters after it at most ("</script" and the one after).
        constexpr qsizetype kLookahead = 32;
        const qsizetype limit = origin + part.size() - kLookahead;
        qsizetype stop = origin + part.size();
        for (size_t i = 0; const HtmlToken *piece = pieces.at(i);) {
            // A unit is three pieces at most: a style, its content and its end tag, which a draft takes
            // along. They and the piece after them stand before the part's last few characters. The
            // content of an element that holds no markup follows its tag, which was looked at so: a
            // part never begins with it, as only the tag tells what it is.
            if (!last && piece->kind != HtmlToken::RawText) {
                const HtmlToken *unitEnd = pieces.at(i + 3);
                if (!unitEnd || unitEnd->end > limit) {
                    stop = piece->begin;
                    break;
                }
            }
            i = draftUnit(pieces, i, part, origin, linesBefore);
        }
        rewriter_.read({}, stop); // the part's memory is written over next: what is left of it is copied now
        return stop - origin;
    }

    DraftPage finish()
    {
        if (reading_)
            reading_->next = next_.value_or(QString());
        draft_.rewrittenByAnswers = site_.rewrittenByAnswers;
        draft_.bytes = rewriter_.takeBytes(&draft_.unheld);
        // The pieces kept read their text where the draft holds it, found by their places.
        for (const DraftPage::Redo &redo : draft_.redo) {
            const QChar *held = draft_.heldText.constData() + redo.heldAt;
            const auto heldAt = [&](qsizetype place, qsizetype size) {
                return QStringView(held + (place - redo.from), size);
            };
            for (size_t k = redo.firstToken; k < redo.endToken; ++k) {
                HtmlToken &token = draft_.tokens[k];
                if (!token.name.isNull())
                    token.name = heldAt(token.begin + 1, token.name.size());
                for (HtmlAttribute &attribute : token.attributes) {
                    attribute.name = heldAt(attribute.begin, attribute.name.size());
                    if (!attribute.rawValue.isNull())
                        attribute.rawValue = heldAt(attribute.valueBegin, attribute.rawValue.size());
                }
            }
        }
        return std::move(draft_);
    }

private:
    // Drafts the unit of pieces at i; gives the index after it.
    template <typename LinesBefore>
    size_t draftUnit(ReadPieces &pieces, size_t i, QStringView part, qsizetype origin, LinesBefore &linesBefore)
    {
        if (const HtmlToken &piece = *pieces.at(i); reading_ && !next_ && piece.kind == HtmlToken::StartTag &&
                                                    (piece.name.size() == 1 || piece.name.size() == 4))
            next_ = nextReferenceOf(piece); // of an <a> or a <link>
        const TextChanges before = draft_.changes;
        const qsizetype rewrittenBefore = site_.rewrittenByAnswers;
        site_.asked = false;
        size_t next = rewriter_.appendUnit(pieces, i);
        if (site_.asked) {
            // The site's answers may move a style out of the page, which then takes its end tag along.
            const HtmlToken *after = pieces.at(next);
            if (pieces.at(i)->kind == HtmlToken::StartTag && pieces.at(i)->is(u"style") && after &&
                after->kind == HtmlToken::EndTag)
                next = rewriter_.appendUnit(pieces, next);
            // Kept with an empty text after them, so that no piece reads on into the next run.
            const size_t first = draft_.tokens.size();
            for (size_t k = i; k < next; ++k)
                draft_.tokens.push_back(*pieces.at(k));
            draft_.tokens.emplace_back();
            DraftPage::Redo redo{first, first + (next - i), rewriter_.cut(), draft_.changes};
            subtract(redo.counted, before);
            redo.from = pieces.at(i)->begin;
            redo.to = pieces.at(next - 1)->end;
            redo.heldAt = draft_.heldText.size();
            if (counted_ < origin) {
                lines_ = linesBefore();
                counted_ = origin;
            }
            redo.linesBefore =
                (lines_ += std::count(part.begin() + (counted_ - origin), part.begin() + (redo.from - origin), u'\n'));
            counted_ = redo.from;
            draft_.heldText += part.sliced(redo.from - origin, redo.to - redo.from);
            draft_.redo.push_back(redo);
            site_.rewrittenByAnswers = rewrittenBefore; // the site is asked again for all of it
        }
        pieces.letGo(next);
        return next;
    }

    DraftPage draft_;
    DraftSite site_;
    PageRewriter rewriter_;
    qsizetype lines_ = 0;   // line breaks of the page before counted_
    qsizetype counted_ = 0; // where lines_ are counted to
    DraftReading *reading_;
    std::optional<QString> next_; // the first reference to the next page, once read
};

DraftPage draftText(QStringView html, book::TextForm form, const DraftAnswers *answers, DraftReading *reading)
{
    PageDrafter drafter(form, answers, html.size(), reading);
    drafter.draft(html, 0, true, [] { return qsizetype(0); });
    return drafter.finish();
}

// The bytes of text in UTF-8, its runs of ASCII read eight units at a time.
qsizetype utf8Size(QStringView text)
{
    qsizetype size = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype asciiEnd = platform::asciiRunEnd(text, i);
        size += asciiEnd - i;
        if ((i = asciiEnd) >= text.size())
            break;
        const char16_t c = text[i].unicode();
        size += c < 0x800 || QChar::isSurrogate(c) ? 2 : 3;
    }
    return size;
}

} // namespace

DraftPage draftPage(QStringView html, book::TextForm form, const DraftAnswers *answers)
{
    return draftText(html, form, answers, nullptr);
}

DraftPage draftPageFile(QByteArrayView bytes, book::TextForm form, const DraftAnswers *answers, qsizetype partSize,
                        DraftReading *reading)
{
    const PageCoding coding = pageCoding(bytes);
    const QByteArrayView body = coding.body;
    const bool utf8 = coding.validUtf8 || (coding.by == PageCoding::Decoder && isUtf8Label(coding.charset));
    const auto whole = [&] {
        return draftText(decodeAs(coding, reading ? &reading->problem : nullptr).text, form, answers, reading);
    };
    // Where a character's bytes can't be told apart; UTF-8 that is not valid throughout is read whole
    // too, as the parts would read what isn't differently.
    if (!utf8 && coding.by != PageCoding::CodePage)
        return whole();
    if (reading)
        reading->problem = coding.problem;
    PageDrafter drafter(form, answers, body.size(), reading);
    QString part;
    qsizetype at = 0;     // of body, drafted
    qsizetype origin = 0; // the characters of the text they hold
    // A line break is one byte in either form.
    qsizetype lines = 0;
    qsizetype linesCounted = 0; // bytes of body whose line breaks are in lines
    const auto linesBefore = [&] {
        lines += std::count(body.begin() + linesCounted, body.begin() + at, '\n');
        linesCounted = at;
        return lines;
    };
    for (qsizetype size = partSize;;) {
        qsizetype end = std::min(body.size(), at + size);
        while (utf8 && end < body.size() && end > at + 1 && (uchar(body[end]) & 0xC0) == 0x80)
            --end; // a character's bytes stay together
        const QByteArrayView bytesOfPart = body.sliced(at, end - at);
        QStringView text;
        if (utf8) {
            if (part.size() < bytesOfPart.size())
                part.resize(std::max(bytesOfPart.size(), std::min(body.size(), partSize)));
            QStringDecoder decoder(QStringDecoder::Utf8,
                                   at == 0 ? QStringDecoder::Flag::Stateless
                                           : QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            text = QStringView(part.constData(), decoder.appendToBuffer(part.data(), bytesOfPart) - part.constData());
            if (decoder.hasError())
                return whole();
        } else {
            part = platform::decodeCodePage(bytesOfPart);
            text = part;
        }
        const bool last = end == body.size();
        const qsizetype stop = drafter.draft(text, origin, last, linesBefore);
        if (last)
            break;
        // The bytes of the text drafted, told from the few left: a second byte-order mark at the start
        // is read as no character, as decodeAs() reads it.
        const qsizetype next = utf8 ? end - utf8Size(text.sliced(stop)) : at + stop;
        if (next == at) { // a unit longer than the part: read a longer one
            size *= 2;
            continue;
        }
        at = next;
        origin += stop;
        size = partSize;
    }
    return drafter.finish();
}

QByteArray finishPage(DraftPage &&draft, PageSite &site, TextChanges &changes)
{
    TextChanges counted = draft.changes;
    for (const DraftPage::Redo &redo : draft.redo)
        subtract(counted, redo.counted);
    changes.tildes += counted.tildes;
    changes.doubleHashes += counted.doubleHashes;
    changes.sectionMarks += counted.sectionMarks;
    changes.scriptsMoved += counted.scriptsMoved;
    changes.stylesMoved += counted.stylesMoved;
    changes.outsideCodePage += draft.unheld;
    // The pieces to redo written first, then spliced into the draft's own bytes, from the last one
    // back: a copy of a big page into memory of its own would cost the first touch of each of its
    // pages, on the core that writes the book.
    std::vector<QByteArray> redone;
    redone.reserve(draft.redo.size());
    qsizetype added = 0;
    if (!draft.redo.empty()) {
        HeldPieces held(draft.tokens);
        for (const DraftPage::Redo &redo : draft.redo) {
            const QStringView text = QStringView(draft.heldText).sliced(redo.heldAt, redo.to - redo.from);
            site.reading(text, redo.from, redo.linesBefore);
            PageRewriter rewriter(text, site, changes, draft.form, redo.from);
            for (size_t i = redo.firstToken; i < redo.endToken;)
                i = rewriter.appendUnit(held, i);
            qsizetype unheld = 0;
            redone.push_back(rewriter.takeBytes(&unheld));
            changes.outsideCodePage += unheld;
            added += redone.back().size();
        }
    }
    QByteArray out = std::move(draft.bytes);
    qsizetype end = out.size();
    out.resize(end + added);
    char *bytes = out.data();
    for (size_t r = redone.size(); r-- > 0;) {
        const qsizetype at = draft.redo[r].at;
        added -= redone[r].size();
        std::memmove(bytes + at + added + redone[r].size(), bytes + at, size_t(end - at));
        std::memcpy(bytes + at + added, redone[r].constData(), size_t(redone[r].size()));
        end = at;
    }
    // Neither form writes a character of the mark but as itself, nor one of another character as one.
    writeSectionMarksApart(out, changes);
    return out;
}

QString rewritePage(QStringView html, PageSite &site, TextChanges &changes)
{
    site.reading(html, 0, 0);
    return PageRewriter(html, site, changes).run();
}

namespace {

// Whether [name, nameEnd) is lower, in any case of its ASCII letters.
template <typename Char> bool isNamed(const Char *name, const Char *nameEnd, std::string_view lower)
{
    if (nameEnd - name != qsizetype(lower.size()))
        return false;
    for (size_t i = 0; i < lower.size(); ++i) {
        if (book::html::asciiLower(char32_t(name[i])) != char32_t(lower[i]))
            return false;
    }
    return true;
}

// Whether a start tag of this name may hold a link or the reference to the next page: <a>, <area>,
// <link> or <form>, in any case. A name with letters beyond ASCII may be one as Qt compares names,
// and is read whole to tell.
template <typename Char> bool mayLink(const Char *name, const Char *nameEnd)
{
    return isNamed(name, nameEnd, "a") || isNamed(name, nameEnd, "area") || isNamed(name, nameEnd, "link") ||
           isNamed(name, nameEnd, "form") ||
           std::any_of(name, nameEnd, [](Char c) { return std::make_unsigned_t<Char>(c) >= 0x80; });
}

// Gives each start tag of a page that may hold a link to onTag(tagBegin, nameEnd, end, element), which
// reads its attributes from nameEnd and gives where the tag ends, as html::readAttributes() does. The
// tags are read by the rules of HtmlScanner: the walk through a site reads every page for its links
// alone, and most tags hold none.
template <typename Char, typename OnTag> void forEachLinkingTag(const Char *begin, const Char *end, OnTag &&onTag)
{
    namespace html = book::html;
    for (const Char *p = html::find(begin, end, Char('<')); p < end; p = html::find(p, end, Char('<'))) {
        const html::MarkupAt<Char> markup = html::markupAt<Char, false>(p, end); // no end tag's element
        if (markup.kind == html::Markup::Text) {
            ++p;
            continue;
        }
        if (markup.kind != html::Markup::StartTag) {
            p = markup.end;
            continue;
        }
        const Char *after = mayLink(p + 1, markup.end)
                                ? onTag(p, markup.end, end, markup.element)
                                : html::readAttributes(markup.end, end, [](auto, auto, auto, auto) {});
        if (!after)
            return;
        p = html::holdsNoMarkup(markup.element) ? html::rawContentEnd(after, end, markup.element) : after;
    }
}

// The links of one start tag, read alone, as pageLinks() takes them, each with where its value stands
// in the tag; next is set from the first tag that names the next page.
template <typename OnLink> void readTagLinks(QStringView tag, std::optional<QString> &next, OnLink &&onLink)
{
    HtmlScanner scanner(tag);
    HtmlToken token;
    if (!scanner.next(token) || token.kind != HtmlToken::StartTag)
        return;
    if (!next)
        next = nextReferenceOf(token);
    for (const HtmlAttribute &attribute : token.attributes) {
        // As rewritePage() reads them: the first attribute of a name, with a value.
        if (attribute.valueBegin >= 0 && roleOf(token, attribute) == UrlRole::Link &&
            token.attribute(attribute.name) == &attribute)
            onLink(attribute.value().trimmed(), attribute.valueBegin);
    }
}

} // namespace

PageLinks pageLinks(QStringView html)
{
    PageLinks found;
    std::optional<QString> next;
    const char16_t *begin = html.utf16();
    forEachLinkingTag(
        begin, begin + html.size(),
        [&](const char16_t *tagBegin, const char16_t *nameEnd, const char16_t *end, book::html::Element) {
            const char16_t *after = book::html::readAttributes(nameEnd, end, [](auto, auto, auto, auto) {});
            readTagLinks(QStringView(tagBegin, after ? after : end), next, [&](QString url, qsizetype at) {
                found.links.emplace_back(std::move(url), tagBegin - begin + at);
            });
            return after;
        });
    found.next = next.value_or(QString());
    return found;
}

QString readLinks(QStringView html, PageSite &site)
{
    PageLinks found = pageLinks(html);
    for (const auto &[url, offset] : found.links)
        site.rewrite(UrlRole::Link, url, offset);
    return found.next;
}

PageText decodePage(QByteArrayView bytes, QString *problem)
{
    return decodeAs(pageCoding(bytes), problem);
}

PageFileLinks pageFileLinks(QByteArrayView bytes)
{
    const PageCoding coding = pageCoding(bytes);
    const bool utf8 = coding.validUtf8 || (coding.by == PageCoding::Decoder && isUtf8Label(coding.charset) &&
                                           QUtf8StringView(coding.body.data(), coding.body.size()).isValidUtf8());
    PageFileLinks found;
    if (!utf8 && coding.by != PageCoding::CodePage) {
        // Markup that may not stand in the bytes as ASCII: read from the text.
        PageLinks links = pageLinks(decodeAs(coding, &found.problem).text);
        for (auto &link : links.links)
            found.links.push_back(std::move(link.first));
        found.next = std::move(links.next);
        return found;
    }
    // Markup stands in the bytes as ASCII, and no character's bytes hold any: only tags that may
    // link are decoded, and of most <a>s only their "href".
    found.problem = coding.problem;
    const auto decoded = [&](QByteArrayView part) {
        // A byte-order mark inside the page is one of its characters, as in the text decoded whole.
        return utf8
                   ? QString(QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom).decode(part))
                   : platform::decodeCodePage(part);
    };
    std::optional<QString> next;
    const char *begin = coding.body.data();
    forEachLinkingTag(
        begin, begin + coding.body.size(),
        [&](const char *tagBegin, const char *nameEnd, const char *end, book::html::Element element) {
            bool rel = false;
            std::optional<QByteArrayView> href; // the first; a null view for one without a value
            const char *after = book::html::readAttributes(
                nameEnd, end, [&](const char *name, const char *afterName, const char *value, const char *valueEnd) {
                    if (!href && isNamed(name, afterName, "href"))
                        href = value ? QByteArrayView(value, valueEnd) : QByteArrayView();
                    rel = rel || isNamed(name, afterName, "rel");
                });
            const QByteArrayView tag(tagBegin, after ? after : end);
            const bool anchor = element == book::html::Element::A || element == book::html::Element::Area;
            if (!anchor || (rel && !next)) {
                readTagLinks(decoded(tag), next,
                             [&](QString url, qsizetype) { found.links.push_back(std::move(url)); });
                return after;
            }
            // An <a>'s or <area>'s "href" is a link, whatever else it holds.
            if (href && !href->isNull()) {
                const bool plain =
                    std::all_of(href->begin(), href->end(), [](char c) { return uchar(c) < 0x80 && c != '&'; });
                found.links.push_back(plain ? QString::fromLatin1(*href).trimmed()
                                            : book::html::decodeAttributeValue(decoded(*href)).trimmed());
            }
            return after;
        });
    found.next = next.value_or(QString());
    return found;
}

QString rewriteStyleSheet(QStringView css, PageSite &site)
{
    return applyEdits(css, cssEdits(css, site, 0), {});
}

QString nextPageReference(QStringView html)
{
    HtmlScanner scanner(html);
    HtmlToken token;
    while (scanner.next(token)) {
        if (token.kind != HtmlToken::StartTag)
            continue;
        if (std::optional<QString> next = nextReferenceOf(token))
            return *next;
    }
    return {};
}
