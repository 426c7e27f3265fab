#pragma once

// Reading page HTML as a browser does, shared by the links of a page and its text: tags and their
// attributes, comments, the elements whose content is no markup, and character references. Works on
// the book's 8-bit text (char, a byte of the code page) and on decoded text (char16_t) alike, in one
// pass and in time linear in the length of the HTML, whatever it holds.

#include "platform/codepage.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace book::html {

constexpr bool isSpace(char32_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

constexpr bool isAsciiLetter(char32_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

constexpr bool isAsciiDigit(char32_t c)
{
    return c >= u'0' && c <= u'9';
}

constexpr bool isAsciiAlnum(char32_t c)
{
    return isAsciiLetter(c) || isAsciiDigit(c);
}

constexpr char32_t asciiLower(char32_t c)
{
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

// The character that a unit of text stands for: a byte of the book's code page, or a UTF-16 unit.
inline char16_t unitChar(char c)
{
    return platform::codePageChar(static_cast<unsigned char>(c));
}
inline char16_t unitChar(char16_t c)
{
    return c;
}

// The elements whose name matters to reading a page; every other one is Other. Those from Script on
// hold no markup.
enum class Element : std::uint8_t {
    Other,
    Break, // a block, a line break or a replaced element (picture, form control): it stands between words
    A,
    Area,
    Script,    // content hidden, not markup
    Style,     //   "
    Iframe,    //   "
    Noembed,   //   "
    Noframes,  //   "
    Noscript,  //   " (the page view runs scripts)
    Title,     // content hidden, references decoded
    Textarea,  // content shown, references decoded, not markup
    Xmp,       // content shown as written
    Plaintext, // the rest of the page is shown as written
};

// The element of a tag name, given in lower case.
Element elementOf(std::string_view lowerName);
// The same for a name of up to eight characters, each in the byte at 8 * its index of letters.
Element elementOfPacked(std::uint64_t letters, int length);

// True when the tags of e separate the text on either side of them, as the boundary of a block or an
// element that takes room of its own does; inline elements such as <b> or <a> don't: "gar<b>den</b>"
// reads "garden".
constexpr bool breaksText(Element e)
{
    return e == Element::Break || e == Element::Iframe || e == Element::Textarea || e == Element::Xmp ||
           e == Element::Plaintext;
}

// True when the content of e is no markup: text to hide or to show as it stands.
constexpr bool holdsNoMarkup(Element e)
{
    return e >= Element::Script;
}

// A character reference that begins at p, where *p is "&": the characters that it stands for (a few
// names stand for two) and its length in units, or length 0 when the "&" there stands for itself.
struct Reference {
    char32_t c = 0;
    int length = 0;
    char16_t c2 = 0; // the second character, or 0
};

// The named references that a page may use: every one that HTML knows, those of HTML 4 among them. A
// legacy name is read without its semicolon too. Sorted by name.
struct NamedReference {
    std::string_view name; // without its semicolon
    char32_t c;
    char16_t c2; // the second character of the few names that stand for two, else 0
    bool legacy;
};
inline constexpr int kLongestReferenceName = 31;
inline constexpr int kLongestLegacyName = 6;
const NamedReference *namedReference(std::string_view name);
std::span<const NamedReference> namedReferences();

// A numeric reference's value as HTML reads it: none, a surrogate or one beyond Unicode gives U+FFFD;
// 0x80 to 0x9F are taken as the Windows-1252 characters that pages meant by them.
constexpr char32_t numericReferenceChar(std::uint32_t value, bool tooLarge)
{
    if (tooLarge || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0xFFFD;
    if (value >= 0x80 && value <= 0x9F)
        return platform::codePageChar(static_cast<unsigned char>(value));
    return value;
}

// In text, a legacy name without its semicolon is read as far as it goes ("&copy2024" is "(c)2024");
// in an attribute value it is read only when no letter, digit or "=" follows it, so that
// "?a=1&copy=2" stays as written.
template <typename Char> Reference readReference(const Char *p, const Char *end, bool inAttribute)
{
    const Char *q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        const bool hex = q < end && (*q == 'x' || *q == 'X');
        if (hex)
            ++q;
        const Char *digits = q;
        std::uint32_t value = 0;
        bool tooLarge = false;
        for (; q < end; ++q) {
            const char32_t c = asciiLower(char32_t(*q));
            std::uint32_t digit;
            if (isAsciiDigit(c))
                digit = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else
                break;
            if (!tooLarge) {
                value = value * (hex ? 16 : 10) + digit;
                tooLarge = value > 0x10FFFF;
            }
        }
        if (q == digits)
            return {}; // "&#" or "&#x" without a digit
        if (q < end && *q == ';')
            ++q;
        return {numericReferenceChar(value, tooLarge), int(q - p)};
    }

    // The letters and digits that follow, one beyond the longest name at most.
    char name[kLongestReferenceName + 1];
    int length = 0;
    while (length <= kLongestReferenceName && q + length < end && isAsciiAlnum(char32_t(q[length]))) {
        name[length] = char(q[length]);
        ++length;
    }
    if (length == 0)
        return {};
    if (length <= kLongestReferenceName && q + length < end && q[length] == ';') {
        if (const NamedReference *named = namedReference(std::string_view(name, size_t(length))))
            return {named->c, length + 2, named->c2};
    }
    // The longest legacy name that the letters begin with; no legacy name stands for two characters.
    for (int k = std::min(length, kLongestLegacyName); k >= 2; --k) {
        const NamedReference *named = namedReference(std::string_view(name, size_t(k)));
        if (!named || !named->legacy)
            continue;
        if (inAttribute && q + k < end && (isAsciiAlnum(char32_t(q[k])) || q[k] == '='))
            return {};
        return {named->c, k + 1};
    }
    return {};
}

// An attribute value with its character references decoded; text with them decoded as text reads them.
QString decodeAttributeValue(QStringView value);
QString decodeText(QStringView text);

// The first "c" at or after p, or end. Text between markup and the values of attributes are looked
// through eight units at a time where the machine allows: every page read goes through here.
template <typename Char> const Char *find(const Char *p, const Char *end, Char c)
{
    while (p < end && *p != c)
        ++p;
    return p;
}
inline const char16_t *find(const char16_t *p, const char16_t *end, char16_t c)
{
#if defined(__SSE2__)
    const __m128i vc = _mm_set1_epi16(short(c));
    for (; end - p >= 8; p += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(chunk, vc)))
            return p + __builtin_ctz(unsigned(mask)) / 2;
    }
#endif
    while (p < end && *p != c)
        ++p;
    return p;
}
inline const char *find(const char *p, const char *end, char c)
{
    const void *hit = p < end ? std::memchr(p, c, size_t(end - p)) : nullptr;
    return hit ? static_cast<const char *>(hit) : end;
}

// The first a or b at or after p, or end. Most of a page is text between markup, so the 8-bit text
// is looked through sixteen bytes at a time where the machine allows.
inline const char16_t *findEither(const char16_t *p, const char16_t *end, char16_t a, char16_t b)
{
    while (p < end && *p != a && *p != b)
        ++p;
    return p;
}
inline const char *findEither(const char *p, const char *end, char a, char b)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    for (; end - p >= 16; p += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb)));
        if (mask)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    while (p < end && *p != a && *p != b)
        ++p;
    return p;
}

// True when the page may hold an element whose content is shown as it stands, not read as markup:
// <textarea>, <xmp> or <plaintext>. Each of their names holds an "x", a rare letter, so only the text
// around each "x" is looked at.
template <typename Char> bool mayShowRawText(const Char *begin, const Char *end)
{
    const auto tagAt = [&](const Char *at, std::string_view tag) {
        if (at < begin || end - at < qsizetype(tag.size()))
            return false;
        for (size_t i = 0; i < tag.size(); ++i) {
            if (asciiLower(char32_t(at[i])) != char32_t(tag[i]))
                return false;
        }
        return true;
    };
    for (const Char *p = findEither(begin, end, Char('x'), Char('X')); p < end;
         p = findEither(p + 1, end, Char('x'), Char('X'))) {
        if (tagAt(p - 3, "<textarea") || tagAt(p - 1, "<xmp") || tagAt(p - 8, "<plaintext"))
            return true;
    }
    return false;
}

// Reads the attributes of a tag from p, just after its name, to the ">" that ends it; a ">" inside a
// quoted value doesn't. Calls onAttribute(nameBegin, nameEnd, valueBegin, valueEnd) for each, with a
// null value for an attribute without one; a quoted value that the text ends before its closing quote
// runs to the end. Gives the position after ">", or nullptr when the text ends first: a browser then
// drops the tag.
template <typename Char, typename OnAttribute>
const Char *readAttributes(const Char *p, const Char *end, OnAttribute &&onAttribute)
{
    while (p < end) {
        const Char c = *p;
        if (c == '>')
            return p + 1;
        if (isSpace(char32_t(c)) || c == '/') {
            ++p;
            continue;
        }
        const Char *nameBegin = p++; // a first "=" belongs to the name
        while (p < end && !isSpace(char32_t(*p)) && *p != '/' && *p != '>' && *p != '=')
            ++p;
        const Char *nameEnd = p;
        const Char *q = p;
        while (q < end && isSpace(char32_t(*q)))
            ++q;
        if (q == end || *q != '=') {
            onAttribute(nameBegin, nameEnd, static_cast<const Char *>(nullptr), static_cast<const Char *>(nullptr));
            p = q;
            continue;
        }
        p = q + 1;
        while (p < end && isSpace(char32_t(*p)))
            ++p;
        if (p < end && (*p == '"' || *p == '\'')) {
            const Char *valueBegin = p + 1;
            const Char *valueEnd = find(valueBegin, end, *p);
            onAttribute(nameBegin, nameEnd, valueBegin, valueEnd);
            if (valueEnd == end)
                return nullptr;
            p = valueEnd + 1;
        } else {
            const Char *valueBegin = p;
            while (p < end && !isSpace(char32_t(*p)) && *p != '>')
                ++p;
            onAttribute(nameBegin, nameEnd, valueBegin, p);
        }
    }
    return nullptr;
}

namespace detail {

// Reads a tag name from p to the first blank, "/" or ">"; gives where it ends and its element.
template <typename Char> const Char *readTagName(const Char *p, const Char *end, Element &element)
{
    constexpr int kLongestElementName = 10;
    constexpr int kPacked = 8; // most names: looked up by their letters packed into a number
    const auto lower = [](char32_t c) { return c < 0x80 ? char(asciiLower(c)) : '\x80'; }; // in no name
    std::uint64_t letters = 0;
    int length = 0;
    const Char *begin = p;
    for (; p < end && !isSpace(char32_t(*p)) && *p != '/' && *p != '>'; ++p) {
        if (length < kPacked)
            letters |= std::uint64_t(static_cast<unsigned char>(lower(char32_t(*p)))) << (8 * length);
        ++length;
    }
    if (length <= kPacked) {
        element = elementOfPacked(letters, length);
    } else if (length <= kLongestElementName) {
        char name[kLongestElementName];
        for (int i = 0; i < length; ++i)
            name[i] = lower(char32_t(begin[i]));
        element = elementOf(std::string_view(name, size_t(length)));
    } else {
        element = Element::Other;
    }
    return p;
}

// Where a tag's name that begins at p ends, as readTagName() reads it.
template <typename Char> const Char *tagNameEnd(const Char *p, const Char *end)
{
    while (p < end && !isSpace(char32_t(*p)) && *p != '/' && *p != '>')
        ++p;
    return p;
}

// Where the end tag "</name" of a raw text element begins, name followed by a blank, "/" or ">"; end
// when there is none.
template <typename Char> const Char *findEndTag(const Char *p, const Char *end, std::string_view name)
{
    const auto n = qsizetype(name.size());
    for (p = find(p, end, Char('<')); p < end; p = find(p + 1, end, Char('<'))) {
        if (end - p < n + 3 || p[1] != '/')
            continue;
        bool same = true;
        for (qsizetype i = 0; same && i < n; ++i)
            same = asciiLower(char32_t(p[2 + i])) == char32_t(name[size_t(i)]);
        const char32_t after = char32_t(p[2 + n]);
        if (same && (isSpace(after) || after == '/' || after == '>'))
            return p;
    }
    return end;
}

// True when the text at p is "<" or "</", as slash says, followed by "script" and a blank, "/" or ">";
// letter case does not count.
template <typename Char> bool scriptTagAt(const Char *p, const Char *end, bool slash)
{
    constexpr std::string_view kName = "script";
    const Char *n = p + 1 + (slash ? 1 : 0);
    if (end - n <= qsizetype(kName.size()) || (slash && p[1] != '/'))
        return false;
    for (size_t i = 0; i < kName.size(); ++i) {
        if (asciiLower(char32_t(n[i])) != char32_t(kName[i]))
            return false;
    }
    const char32_t after = char32_t(n[kName.size()]);
    return isSpace(after) || after == '/' || after == '>';
}

// Where a script's content ends, from p, just after its start tag: at "</script", as for any element
// that holds no markup, unless it stands in a part of the script that pages hide from old browsers in
// "<!--" and "-->". There "<script" opens a script within, as document.write() may write one, and the
// "</script" of that one doesn't end the outer; "-->" ends the part whatever opened in it. Each unit is
// looked at once.
template <typename Char> const Char *findScriptEnd(const Char *p, const Char *end)
{
    enum { Plain, Hidden, Nested } state = Plain;
    while (p < end) {
        if (state == Plain) {
            p = find(p, end, Char('<'));
            if (p == end)
                return end;
            if (scriptTagAt(p, end, true))
                return p;
            if (end - p >= 4 && p[1] == '!' && p[2] == '-' && p[3] == '-') {
                state = Hidden;
                p += 2; // at the dashes, which "-->" may share: "<!-->" hides nothing
            } else {
                ++p;
            }
            continue;
        }
        p = findEither(p, end, Char('-'), Char('<'));
        if (p == end)
            return end;
        if (*p == '-') {
            const Char *dashes = p;
            while (p < end && *p == '-')
                ++p;
            if (p - dashes >= 2 && p < end && *p == '>') {
                state = Plain;
                ++p;
            }
            continue;
        }
        if (scriptTagAt(p, end, true)) {
            if (state == Hidden)
                return p;
            state = Hidden;
            p += 8; // past "</script", at the blank, "/" or ">" after it
        } else if (scriptTagAt(p, end, false)) {
            state = Nested; // whatever Nested was
            p += 7;
        } else {
            ++p;
        }
    }
    return end;
}

// The position after the first ">" at or after p, or end.
template <typename Char> const Char *skipPast(const Char *p, const Char *end, Char c)
{
    p = find(p, end, c);
    return p < end ? p + 1 : end;
}

// The characters of a reference, for the handler.
template <typename Handler> void tellReference(const Reference &ref, Handler &handler)
{
    handler.character(ref.c);
    if (ref.c2)
        handler.character(ref.c2);
}

// Text from p to end without markup: literal runs and references, for the handler.
template <typename Char, typename Handler> void readPlainText(const Char *p, const Char *end, Handler &handler)
{
    while (p < end) {
        const Char *amp = find(p, end, Char('&'));
        if (amp > p)
            handler.text(p, amp);
        if (amp == end)
            return;
        const Reference ref = readReference(amp, end, false);
        if (ref.length) {
            tellReference(ref, handler);
            p = amp + ref.length;
        } else {
            handler.text(amp, amp + 1);
            p = amp + 1;
        }
    }
}

// A comment from p, just after "<!--": it ends at "-->" or "--!>", and at once when it is "<!-->" or
// "<!--->"; the dashes of "<!--" end nothing.
template <typename Char> const Char *skipComment(const Char *p, const Char *end)
{
    if (p < end && *p == '>')
        return p + 1;
    if (end - p >= 2 && p[0] == '-' && p[1] == '>')
        return p + 2;
    for (p = find(p, end, Char('-')); end - p >= 3; p = find(p + 1, end, Char('-'))) {
        if (p[1] != '-')
            continue;
        if (p[2] == '>')
            return p + 3;
        if (p[2] == '!' && end - p >= 4 && p[3] == '>')
            return p + 4;
    }
    return end;
}

} // namespace detail

// What a "<" begins.
enum class Markup : std::uint8_t {
    Text,     // nothing: the "<" is text, as in "a < b"
    StartTag, // "<" and a letter
    EndTag,   // "</" and a letter
    Comment,  // "<!--"
    Other,    // a doctype, CDATA, "<?...>", "</>" or "</" and no letter: no text, nothing for the page
};

template <typename Char> struct MarkupAt {
    Markup kind;
    const Char *end;                  // where reading goes on; for a start tag, where its name ends
    Element element = Element::Other; // of a start or end tag
    bool cutOff = false;              // an end tag that the end of the text cuts off, which a browser drops
};

// The markup that begins at p, where *p is "<". A start tag's attributes are left for the caller
// (readAttributes from its end). An end tag's element is told only when endTagElement says so: most
// readers pass over end tags, and a page has as many as start tags.
template <typename Char, bool endTagElement = true> MarkupAt<Char> markupAt(const Char *p, const Char *end)
{
    const Char *n = p + 1;
    if (n == end)
        return {Markup::Text, end};
    if (*n == '!') {
        if (end - n >= 3 && n[1] == '-' && n[2] == '-')
            return {Markup::Comment, detail::skipComment(n + 3, end)};
        return {Markup::Other, detail::skipPast(n, end, Char('>'))};
    }
    if (*n == '?')
        return {Markup::Other, detail::skipPast(n, end, Char('>'))};
    if (*n == '/') {
        const Char *t = n + 1;
        if (t == end)
            return {Markup::Text, end};
        if (*t == '>')
            return {Markup::Other, t + 1};
        if (!isAsciiLetter(char32_t(*t)))
            return {Markup::Other, detail::skipPast(t, end, Char('>'))};
        Element element = Element::Other;
        const Char *nameEnd = endTagElement ? detail::readTagName(t, end, element) : detail::tagNameEnd(t, end);
        const Char *after = readAttributes(nameEnd, end, [](auto, auto, auto, auto) {});
        return {Markup::EndTag, after ? after : end, element, !after};
    }
    if (!isAsciiLetter(char32_t(*n)))
        return {Markup::Text, n};
    Element element;
    const Char *nameEnd = detail::readTagName(n, end, element);
    return {Markup::StartTag, nameEnd, element};
}

// Whether markup begins at p, where *p is "<": what markupAt() tells from text, told without reading a
// tag's name, as text is read up to the next "<" that begins markup.
template <typename Char> bool beginsMarkup(const Char *p, const Char *end)
{
    const Char *n = p + 1;
    if (n == end)
        return false;
    if (*n == '!' || *n == '?')
        return true;
    if (*n == '/')
        return n + 1 != end;
    return isAsciiLetter(char32_t(*n));
}

// Where the content of an element that holds no markup ends, its content beginning at p: at its own
// end tag, which is then read as markup, or at the end of the text.
template <typename Char> const Char *rawContentEnd(const Char *p, const Char *end, Element element)
{
    // In Element's order, from Script up to Plaintext, whose content runs to the end of the text.
    static constexpr std::string_view kNames[] = {"script",   "style", "iframe",   "noembed", "noframes",
                                                  "noscript", "title", "textarea", "xmp"};
    static_assert(std::size(kNames) == size_t(Element::Plaintext) - size_t(Element::Script));
    if (element == Element::Plaintext)
        return end;
    if (element < Element::Script)
        return p;
    if (element == Element::Script)
        return detail::findScriptEnd(p, end);
    return detail::findEndTag(p, end, kNames[size_t(element) - size_t(Element::Script)]);
}

namespace detail {

// The markup that begins at p, where *p is "<"; gives where reading goes on.
template <typename Char, typename Handler> const Char *readMarkup(const Char *p, const Char *end, Handler &handler)
{
    const MarkupAt<Char> markup = markupAt(p, end);
    switch (markup.kind) {
    case Markup::Text:
        handler.text(p, markup.end);
        return markup.end;
    case Markup::Comment:
    case Markup::Other:
        return markup.end;
    case Markup::EndTag:
        if (markup.cutOff)
            return markup.end;
        if constexpr (requires { handler.endTag(p, markup.end, markup.element); })
            handler.endTag(p, markup.end, markup.element);
        else
            handler.endTag(markup.element);
        return markup.end;
    case Markup::StartTag:
        break;
    }
    const Char *after = readAttributes(markup.end, end, [](auto, auto, auto, auto) {});
    if (!after)
        return end;
    handler.startTag(p, after, markup.element);
    if (!holdsNoMarkup(markup.element))
        return after;
    const Char *contentEnd = rawContentEnd(after, end, markup.element);
    if (markup.element == Element::Textarea)
        readPlainText(after, contentEnd, handler);
    else if ((markup.element == Element::Xmp || markup.element == Element::Plaintext) && contentEnd > after)
        handler.text(after, contentEnd);
    return contentEnd;
}

} // namespace detail

// Reads the page HTML from begin to end, in document order, telling the handler of:
//   text(b, e)                    units of text, as written (no markup, no references)
//   character(c)                  a character that a reference in the text stands for
//   startTag(tagBegin, tagEnd, element), endTag(element)
//                                 (or endTag(tagBegin, tagEnd, element), where the handler takes it)
// Comments, declarations and the content of hidden elements (scripts, style sheets, the title) tell
// nothing. Reading stops early once handler.done() is true; gives where it stopped.
// A handler that needs only some of the text may say where reading can go on from, skipping text
// it has no use for: handler.skipText(p, end) gives the first "<" or "&" at or after p, or an earlier
// place from which it wants the text told.
template <typename Char, typename Handler> const Char *readHtml(const Char *p, const Char *end, Handler &handler)
{
    while (p < end && !handler.done()) {
        if constexpr (requires { handler.skipText(p, end); }) {
            if (*p != '<' && *p != '&') {
                p = handler.skipText(p, end);
                if (p == end)
                    break;
            }
        }
        const Char *q = findEither(p, end, Char('<'), Char('&'));
        if (q > p) {
            handler.text(p, q);
            p = q;
            continue;
        }
        if (*p == '&') {
            const Reference ref = readReference(p, end, false);
            if (ref.length) {
                detail::tellReference(ref, handler);
                p += ref.length;
            } else {
                handler.text(p, p + 1);
                ++p;
            }
            continue;
        }
        p = detail::readMarkup(p, end, handler);
    }
    return p;
}

} // namespace book::html
