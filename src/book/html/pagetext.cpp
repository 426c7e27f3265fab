#include "pagetext.h"

#include "htmlreading.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace book {
namespace {

constexpr char16_t kNoBreakSpace = 0xA0;

// Lays out the text that reading a page tells of, as a browser does with white space, and hands each
// unit of the result to out.put(). out.done() ends the reading.
template <typename Out> struct TextLayout {
    Out &out;
    bool started = false; // nothing before the first word
    bool pending = false; // a space before the next word

    template <typename Char> void text(const Char *p, const Char *end)
    {
        for (; p < end && !out.done(); ++p) {
            const char16_t unit = html::unitChar(*p);
            if (html::isSpace(unit))
                pending = started;
            else
                put(unit);
        }
    }

    void character(char32_t c)
    {
        if (html::isSpace(c)) {
            pending = started;
        } else if (QChar::requiresSurrogates(c)) {
            put(QChar::highSurrogate(c));
            put(QChar::lowSurrogate(c));
        } else {
            put(char16_t(c));
        }
    }

    void startTag(const void *, const void *, html::Element element)
    {
        if (html::breaksText(element))
            pending = started;
    }
    void endTag(html::Element element) { startTag(nullptr, nullptr, element); }
    bool done() const { return out.done(); }

    void put(char16_t unit)
    {
        if (pending) {
            out.put(u' ');
            pending = false;
        }
        out.put(unit);
        started = true;
    }
};

// A tag's name in ASCII lower case, from p, just after "<" or "</"; p is left where the name ends.
template <typename Char> std::string tagName(const Char *&p, const Char *end)
{
    std::string name;
    for (; p < end && !html::isSpace(html::unitChar(*p)) && *p != '/' && *p != '>'; ++p) {
        const char32_t c = html::asciiLower(char32_t(html::unitChar(*p)));
        name += c < 0x80 ? char(c) : '\x80'; // in no name looked for
    }
    return name;
}

// The elements that surround a page's main content by their names.
bool surrounds(std::string_view name)
{
    return name == "nav" || name == "header" || name == "footer" || name == "aside";
}

// Elements that have no content, and so no end tag to leave them by.
bool isVoid(std::string_view name)
{
    constexpr std::string_view kVoid[] = {"area",  "base", "br",   "col",    "embed", "hr", "img",
                                          "input", "link", "meta", "source", "track", "wbr"};
    return std::find(std::begin(kVoid), std::end(kVoid), name) != std::end(kVoid);
}

// Whether a tag's attributes, from p on, give it the role "navigation".
template <typename Char> bool hasNavigationRole(const Char *p, const Char *tagEnd)
{
    const auto lowerIs = [](const Char *b, const Char *e, std::string_view word) {
        if (e - b != qsizetype(word.size()))
            return false;
        return std::equal(b, e, word.begin(),
                          [](Char c, char w) { return html::asciiLower(char32_t(c)) == char32_t(w); });
    };
    bool found = false;
    html::readAttributes(p, tagEnd,
                         [&](const Char *nameBegin, const Char *nameEnd, const Char *value, const Char *valueEnd) {
                             if (!value || !lowerIs(nameBegin, nameEnd, "role"))
                                 return;
                             // A list of roles separated by white space.
                             for (const Char *word = value; word < valueEnd;) {
                                 const Char *wordEnd = word;
                                 while (wordEnd < valueEnd && !html::isSpace(html::unitChar(*wordEnd)))
                                     ++wordEnd;
                                 found = found || lowerIs(word, wordEnd, "navigation");
                                 word = wordEnd + 1;
                             }
                         });
    return found;
}

// Whether the start tag of name, its attributes from nameEnd on, opens what surrounds the content.
template <typename Char> bool opensSurrounding(std::string_view name, const Char *nameEnd, const Char *tagEnd)
{
    return surrounds(name) || (hasNavigationRole(nameEnd, tagEnd) && !isVoid(name));
}

// Whether a start tag may open what surrounds the main content: one of those names, or "role" in it.
// Quick, for every tag of a page read through; MainContent decides.
template <typename Char> bool mayOpenSurrounding(const Char *tagBegin, const Char *tagEnd)
{
    const auto lower = [](Char c) { return char32_t(static_cast<std::make_unsigned_t<Char>>(c)) | 0x20; };
    const Char *p = tagBegin + 1;
    char name[7] = {};
    qsizetype length = 0;
    for (; p < tagEnd && length < qsizetype(sizeof name) && html::isAsciiLetter(lower(*p)); ++p)
        name[length++] = char(lower(*p));
    if (surrounds(std::string_view(name, size_t(length))))
        return true;
    for (; tagEnd - p >= 4; ++p) {
        if (lower(p[0]) == u'r' && lower(p[1]) == u'o' && lower(p[2]) == u'l' && lower(p[3]) == u'e')
            return true;
    }
    return false;
}

// Leaves out of the text what surrounds a page's main content, the same on every page of a site: its
// navigation, header, footer and sidebars (nav, header, footer and aside elements, and elements of
// role "navigation"). Everything else goes on to the layout; the tags left out still separate words.
template <typename Layout> struct MainContent {
    Layout &layout;
    std::string around{}; // the name of the outermost surrounding element open, while one is
    int depth = 0;        // how many elements of that name are open, it among them

    template <typename Char> void text(const Char *p, const Char *end)
    {
        if (depth == 0)
            layout.text(p, end);
    }
    void character(char32_t c)
    {
        if (depth == 0)
            layout.character(c);
    }
    template <typename Char> void startTag(const Char *tagBegin, const Char *tagEnd, html::Element element)
    {
        layout.startTag(tagBegin, tagEnd, element);
        const Char *nameEnd = tagBegin + 1;
        std::string name = tagName(nameEnd, tagEnd);
        if (depth > 0) {
            depth += name == around;
        } else if (opensSurrounding(name, nameEnd, tagEnd)) {
            around = std::move(name);
            depth = 1;
        }
    }
    template <typename Char> void endTag(const Char *tagBegin, const Char *tagEnd, html::Element element)
    {
        layout.endTag(element);
        const Char *nameBegin = tagBegin + 2;
        if (depth > 0 && tagName(nameBegin, tagEnd) == around)
            --depth;
    }
    bool done() const { return layout.done(); }
};

struct StringOut {
    QString text;
    void put(char16_t unit) { text.append(QChar(unit)); }
    bool done() const { return false; }
};

template <typename Char> QString textOf(const Char *begin, const Char *end, bool mainContent)
{
    StringOut out;
    out.text.reserve((end - begin) / 2);
    TextLayout<StringOut> layout{out};
    if (mainContent) {
        MainContent<TextLayout<StringOut>> content{layout};
        html::readHtml(begin, end, content);
    } else {
        html::readHtml(begin, end, layout);
    }
    out.text.squeeze();
    return std::move(out.text);
}

} // namespace

// Steps through the folded query one unit of the page's folded text at a time (Knuth, Morris and
// Pratt): each unit is looked at once, so a page is read in linear time whatever it and the query hold.
class PageMatching {
public:
    explicit PageMatching(const PageFinder &finder)
        : finder_(finder), query_(finder.folded_.data()), length_(int(finder.folded_.size()))
    {
    }

    // Takes the next folded unit; true when it completes a hit. Hits don't overlap: after one, the
    // match starts afresh.
    bool step(char16_t unit)
    {
        while (matched_ > 0 && query_[matched_] != unit)
            matched_ = finder_.fallback_[size_t(matched_)];
        if (query_[matched_] == unit && ++matched_ == length_) {
            matched_ = 0;
            return true;
        }
        return false;
    }

    const PageFinder &finder() const { return finder_; }
    template <typename Char> char16_t fold(Char unit) const { return finder_.fold(unit); }
    char16_t first() const { return query_[0]; }
    bool inMatch() const { return matched_ > 0; }

    template <typename Char> static bool mayHold(const PageFinder &finder, const Char *begin, const Char *end);
    template <typename Char> static PageFinder::Hits hits(const PageFinder &finder, const Char *begin, const Char *end);
    template <typename Char>
    static PageFinder::Excerpt excerpt(const PageFinder &finder, const Char *begin, const Char *restart,
                                       const Char *end);
    template <typename Char>
    static PageFinder::Excerpt wholeTextExcerpt(const PageFinder &finder, const Char *begin, const Char *restart,
                                                const Char *end);
    template <typename Char>
    static PageFinder::Excerpt mainExcerpt(const PageFinder &finder, const Char *begin, const Char *end);

    // Finds where a hit can begin (see PageFinder::ByteSet): in runs of text, or anywhere in a page.
    class Starts {
    public:
        Starts(const PageFinder &finder, bool inPage)
            : finder_(finder), first_(finder.firstBytes_),
              second_(inPage ? finder.secondBytesInPage_ : finder.secondBytes_)
        {
#if defined(__SSE2__)
            // Two, four or eight bytes of each set, the first repeated where there are fewer. When the
            // second set is larger, every byte is taken to go on with the first unit.
            if (first_.count > 0) {
                firstWidth_ = first_.count <= 2 ? 2 : first_.count <= 4 ? 4 : 8;
                secondWidth_ = second_.count <= 0 ? 0 : second_.count <= 2 ? 2 : second_.count <= 4 ? 4 : 8;
            }
            for (size_t i = 0; i < std::size(firsts_); ++i) {
                firsts_[i] = _mm_set1_epi8(first_.list[int(i) < first_.count ? i : 0]);
                seconds_[i] = _mm_set1_epi8(second_.list[int(i) < second_.count ? i : 0]);
            }
#endif
        }

        // The first place at or after p, before end, where a hit can begin; end when there is none.
        // The text may be read on to limit.
        const char16_t *find(const char16_t *p, const char16_t *end, const char16_t *) const
        {
            const char16_t first = finder_.folded_[0];
            while (p < end && finder_.fold(*p) != first)
                ++p;
            return p;
        }
        const char *find(const char *p, const char *end, [[maybe_unused]] const char *limit) const
        {
            if (first_.count == 0)
                return end; // no byte stands for the first unit: only a reference can
#if defined(__SSE2__)
            if (const char *hit = withWidths([&](auto widths) {
                    return this->template find<decltype(widths)::first, decltype(widths)::second>(p, end, limit);
                }))
                return hit;
#endif
            return findEach(p, end);
        }

        // The first "<" or "&" at or after p, or an earlier place where a hit can begin; for reading a
        // page through, with the byte sets of a whole page.
        const char16_t *findMarkupOrStart(const char16_t *p, const char16_t *end) const
        {
            const char16_t first = finder_.folded_[0];
            while (p < end && *p != u'<' && *p != u'&' && finder_.fold(*p) != first)
                ++p;
            return p;
        }
        const char *findMarkupOrStart(const char *p, const char *end) const
        {
#if defined(__SSE2__)
            if (const char *hit = withWidths([&](auto widths) {
                    return this->template findMarkupOrStart<decltype(widths)::first, decltype(widths)::second>(p, end);
                }))
                return hit;
#endif
            const char *markup = html::findEither(p, end, '<', '&');
            return find(p, markup, end);
        }

    private:
#if defined(__SSE2__)
        template <int First, int Second> struct Widths {
            static constexpr int first = First;
            static constexpr int second = Second;
        };

        // f called with the widths of the two byte sets as Widths<first, second>; null when the first
        // set is too large for them.
        template <typename F> const char *withWidths(F &&f) const
        {
            // One line per pair of widths: the table it is.
            // clang-format off
            switch (firstWidth_ * 16 + secondWidth_) {
            case 2 * 16 + 0: return f(Widths<2, 0>{});
            case 4 * 16 + 0: return f(Widths<4, 0>{});
            case 8 * 16 + 0: return f(Widths<8, 0>{});
            case 2 * 16 + 2: return f(Widths<2, 2>{});
            case 2 * 16 + 4: return f(Widths<2, 4>{});
            case 2 * 16 + 8: return f(Widths<2, 8>{});
            case 4 * 16 + 2: return f(Widths<4, 2>{});
            case 4 * 16 + 4: return f(Widths<4, 4>{});
            case 4 * 16 + 8: return f(Widths<4, 8>{});
            case 8 * 16 + 2: return f(Widths<8, 2>{});
            case 8 * 16 + 4: return f(Widths<8, 4>{});
            case 8 * 16 + 8: return f(Widths<8, 8>{});
            default: return nullptr;
            }
            // clang-format on
        }

        // Of the sixteen places from p, those followed by a byte of the second set.
        template <int SecondWidth> unsigned seconds(const char *p) const
        {
            if constexpr (SecondWidth == 0) {
                return 0xFFFF;
            } else {
                const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
                __m128i b = _mm_cmpeq_epi8(next, seconds_[0]);
                for (int i = 1; i < SecondWidth; ++i)
                    b = _mm_or_si128(b, _mm_cmpeq_epi8(next, seconds_[i]));
                return unsigned(_mm_movemask_epi8(b));
            }
        }

        template <int FirstWidth, int SecondWidth> const char *findMarkupOrStart(const char *p, const char *end) const
        {
            const __m128i lt = _mm_set1_epi8('<');
            const __m128i amp = _mm_set1_epi8('&');
            for (; end - p > 16; p += 16) {
                const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                const unsigned markup =
                    unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(here, lt), _mm_cmpeq_epi8(here, amp))));
                __m128i a = _mm_cmpeq_epi8(here, firsts_[0]);
                for (int i = 1; i < FirstWidth; ++i)
                    a = _mm_or_si128(a, _mm_cmpeq_epi8(here, firsts_[i]));
                unsigned stops = markup;
                if (const unsigned firsts = unsigned(_mm_movemask_epi8(a)))
                    stops |= firsts & seconds<SecondWidth>(p);
                if (stops)
                    return p + __builtin_ctz(stops);
            }
            const char *markup = html::findEither(p, end, '<', '&');
            return find(p, markup, end);
        }
#endif

        const char *findEach(const char *p, const char *end) const
        {
            for (; p < end; ++p) {
                if (first_.has[static_cast<unsigned char>(*p)] &&
                    (p + 1 == end || second_.has[static_cast<unsigned char>(p[1])]))
                    return p;
            }
            return end;
        }

#if defined(__SSE2__)
        // Sixteen places at a time, each with the byte after it. Most runs of text are shorter, so the
        // last block reads on beyond the run and the places outside it are dropped.
        template <int FirstWidth, int SecondWidth>
        const char *find(const char *p, const char *end, const char *limit) const
        {
            for (; p < end && limit - p > 16; p += 16) {
                const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                __m128i a = _mm_cmpeq_epi8(here, firsts_[0]);
                for (int i = 1; i < FirstWidth; ++i)
                    a = _mm_or_si128(a, _mm_cmpeq_epi8(here, firsts_[i]));
                const unsigned firsts = unsigned(_mm_movemask_epi8(a));
                const qsizetype left = end - p;
                if (firsts == 0) {
                    if (left <= 16)
                        return end;
                    continue;
                }
                unsigned starts = firsts & seconds<SecondWidth>(p);
                if (left <= 16) {
                    // The last place needs no byte after it: markup or the page's end follows.
                    starts = (starts | (firsts & (1u << (left - 1)))) & ((1u << left) - 1);
                    return starts ? p + __builtin_ctz(starts) : end;
                }
                if (starts)
                    return p + __builtin_ctz(starts);
            }
            return findEach(p, end);
        }

        int firstWidth_ = 0;
        int secondWidth_ = 0;
        __m128i firsts_[8];
        __m128i seconds_[8];
#endif
        const PageFinder &finder_;
        const PageFinder::ByteSet &first_;
        const PageFinder::ByteSet &second_;
    };

private:
    const PageFinder &finder_;
    const char16_t *query_;
    int length_;
    int matched_ = 0;
};

namespace {

// Counts the hits in a page's text as reading the page tells of it, without laying the text out in a
// string: the same units as TextLayout gives, folded, go to the matching. While nothing of the query is
// matched, only a unit that folds to its first one matters, and neither white space nor the boundaries
// of blocks do (the query neither begins nor ends with a space), so the text is skipped through to the
// next place where a hit can begin.
//
// It also keeps where the text of the page could be read again from, shortly before the first hit:
// just after one of the last few start tags before it (not of an element whose content is no markup).
template <typename Char> struct HitCounter {
    HitCounter(const PageFinder &finder, const Char *begin, const Char *end)
        : matching(finder), starts(finder, false), startsInPage(finder, true), limit(end)
    {
        restarts.fill(begin);
        attemptRestart = firstHitRestart = begin;
    }

    PageMatching matching;
    PageMatching::Starts starts;
    PageMatching::Starts startsInPage;
    const Char *limit; // the end of the page HTML
    bool pending = false;
    qsizetype hits = 0;
    std::array<const Char *, 4> restarts; // after the last start tags, the oldest at nextRestart
    size_t nextRestart = 0;
    const Char *attemptRestart;  // before where the match under way began
    const Char *firstHitRestart; // before the first hit
    bool surrounded = false;     // the page may have what surrounds a main content (see MainContent)

    // While nothing is matched, text up to the next place where a hit can begin matters not.
    const Char *skipText(const Char *p, const Char *end) const
    {
        return matching.inMatch() ? p : startsInPage.findMarkupOrStart(p, end);
    }

    void text(const Char *p, const Char *end)
    {
        const char16_t first = matching.first();
        while (p < end) {
            if (!matching.inMatch()) {
                p = starts.find(p, end, limit);
                if (p == end)
                    return;
                pending = false;
                take(first);
                ++p;
                continue;
            }
            if (html::isSpace(char32_t(static_cast<std::make_unsigned_t<Char>>(*p)))) {
                pending = true;
            } else {
                putPending();
                take(matching.fold(*p));
            }
            ++p;
        }
    }

    void character(char32_t c)
    {
        if (html::isSpace(c)) {
            pending = true;
            return;
        }
        putPending();
        if (QChar::requiresSurrogates(c)) {
            take(QChar::highSurrogate(c));
            take(QChar::lowSurrogate(c));
        } else {
            take(matching.fold(char16_t(c)));
        }
    }

    void startTag(const Char *tagBegin, const Char *tagEnd, html::Element element)
    {
        if (html::breaksText(element))
            pending = true;
        if (!surrounded)
            surrounded = mayOpenSurrounding(tagBegin, tagEnd);
        if (!html::holdsNoMarkup(element)) {
            restarts[nextRestart] = tagEnd;
            nextRestart = (nextRestart + 1) % restarts.size();
        }
    }
    void endTag(html::Element element)
    {
        if (html::breaksText(element))
            pending = true;
    }
    bool done() const { return false; }

    void putPending()
    {
        if (pending) {
            take(u' ');
            pending = false;
        }
    }
    void take(char16_t folded)
    {
        if (!matching.inMatch())
            attemptRestart = restarts[nextRestart];
        if (matching.step(folded) && hits++ == 0)
            firstHitRestart = attemptRestart;
    }
};

// Follows the text from one place where a hit may begin, until it holds the query there or not. The
// hit may begin with the second unit: a reference may stand for a character of two units.
struct ProbeOut {
    PageMatching matching;
    int units = 0;
    bool hit = false;
    bool failed = false;

    void put(char16_t unit)
    {
        if (done())
            return;
        ++units;
        if (matching.step(matching.fold(unit)))
            hit = true;
        else
            failed = !matching.inMatch() && units >= 2;
    }
    bool done() const { return hit || failed; }
};

// Keeps the laid-out text from a little before the first hit to the end of the excerpt: until the
// hit, the last units in a ring, as many as the hit and what goes before it take.
struct ExcerptOut {
    ExcerptOut(const PageFinder &finder, qsizetype before)
        : matching(finder), ring(size_t(before + finder.query().size())),
          wanted(std::max(PageFinder::kExcerptLength, finder.query().size()))
    {
    }

    PageMatching matching;
    std::vector<char16_t> ring;
    qsizetype wanted;   // the excerpt's length at most
    size_t next = 0;    // where the next unit goes in the ring
    qsizetype seen = 0; // units put so far
    QString text;       // the excerpt, once the hit is found
    qsizetype hitOffset = -1;

    void put(char16_t unit)
    {
        if (hitOffset >= 0) {
            if (text.size() <= wanted)
                text.append(QChar(unit));
            return;
        }
        ring[next] = unit;
        next = next + 1 == ring.size() ? 0 : next + 1;
        ++seen;
        if (matching.step(matching.fold(unit))) {
            const auto kept = size_t(std::min<qsizetype>(seen, qsizetype(ring.size())));
            text.reserve(wanted);
            for (size_t i = 0; i < kept; ++i)
                text.append(QChar(ring[(next + ring.size() - kept + i) % ring.size()]));
            hitOffset = qsizetype(kept) - matching.finder().query().size();
        }
    }
    // One unit beyond the excerpt tells whether the page's text goes on after it.
    bool done() const { return hitOffset >= 0 && text.size() > wanted; }

    // How many units the excerpt takes before the hit.
    static qsizetype before(const PageFinder &finder)
    {
        return std::max<qsizetype>(0, PageFinder::kExcerptLength - finder.query().size()) / 2;
    }
};

PageFinder::Excerpt finished(ExcerptOut &&out);

} // namespace

// Most pages don't hold a rare word, and finding that out should not take reading them: a hit begins
// at a byte that folds to the query's first unit and is followed by one that can go on with it, or by
// markup or a reference that may hide what comes between, or at a reference. From each such place the
// page is read as text on as far as it shows that no hit begins there; there is no hit in the page
// when none does. A place may lie inside a tag or a script, where reading on from it reads what isn't
// text, but a hit is never missed: reading text from a place in text gives what follows in the page,
// except within an element whose content is shown but is no markup, and a page that may have one is
// read whole. Reading on from the places may take as long as reading the page twice at most; beyond
// that too the page is taken to may hold the query.
template <typename Char> bool PageMatching::mayHold(const PageFinder &finder, const Char *begin, const Char *end)
{
    if (html::mayShowRawText(begin, end))
        return true;
    qsizetype budget = 2 * (end - begin);
    const auto holdsFrom = [&](const Char *from) {
        ProbeOut out{PageMatching(finder)};
        TextLayout<ProbeOut> layout{out};
        budget -= html::readHtml(from, end, layout) - from;
        return out.hit || budget < 0;
    };

    // Where the text runs on as written, the bytes are compared with the query as they stand; only
    // markup or a reference calls for reading the page as text.
    const std::u16string &query = finder.folded_;
    const auto literalMismatch = [&](const Char *p) {
        for (size_t k = 0; k < query.size(); ++p) {
            if (p == end || *p == '<' || *p == '&')
                return false;
            if (html::isSpace(char32_t(static_cast<std::make_unsigned_t<Char>>(*p)))) {
                if (query[k] != u' ')
                    return true; // a space comes before whatever text follows
                while (p + 1 < end && html::isSpace(char32_t(static_cast<std::make_unsigned_t<Char>>(p[1]))))
                    ++p;
                ++k;
                continue;
            }
            if (finder.fold(*p) != query[k++])
                return true;
        }
        return false;
    };
    const Starts starts(finder, true);
    for (const Char *p = begin; (p = starts.find(p, end, end)) < end; ++p) {
        if (!literalMismatch(p) && holdsFrom(p))
            return true;
    }
    // Where no named reference stands for the first unit, only numeric ones, "&#", are looked at.
    const Char mark = finder.namedReferenceStarts_ ? '&' : '#';
    for (const Char *p = html::find(begin, end, mark); p < end; p = html::find(p + 1, end, mark)) {
        const Char *amp = mark == '&' ? p : p - 1;
        if (amp < begin || *amp != '&')
            continue;
        const html::Reference ref = html::readReference(amp, end, false);
        if (ref.length == 0 || html::isSpace(ref.c))
            continue;
        if (finder.mayStartWith(ref.c, ref.c2) && holdsFrom(amp))
            return true;
    }
    return false;
}

template <typename Char>
PageFinder::Hits PageMatching::hits(const PageFinder &finder, const Char *begin, const Char *end)
{
    if (finder.isEmpty() || !mayHold(finder, begin, end))
        return {};
    HitCounter<Char> counter(finder, begin, end);
    html::readHtml(begin, end, counter);
    if (counter.hits == 0)
        return {};
    // Without surroundings, the main content is the whole text, read again only from before the hit.
    if (!counter.surrounded)
        return {counter.hits, wholeTextExcerpt(finder, begin, counter.firstHitRestart, end)};
    return {counter.hits, excerpt(finder, begin, counter.firstHitRestart, end)};
}

// The excerpt of the main content, where it holds the query: what a search result quotes should tell
// its page from the others, and a site's menu, the same on every page, would not. For a page that
// holds the query; empty when its main content doesn't.
template <typename Char>
PageFinder::Excerpt PageMatching::mainExcerpt(const PageFinder &finder, const Char *begin, const Char *end)
{
    ExcerptOut out(finder, ExcerptOut::before(finder));
    TextLayout<ExcerptOut> layout{out};
    MainContent<TextLayout<ExcerptOut>> content{layout};
    html::readHtml(begin, end, content);
    return finished(std::move(out));
}

// The excerpt of a page, its first hit found at restart or after it: the main content's, else the
// whole text's.
template <typename Char>
PageFinder::Excerpt PageMatching::excerpt(const PageFinder &finder, const Char *begin, const Char *restart,
                                          const Char *end)
{
    PageFinder::Excerpt main = mainExcerpt(finder, begin, end);
    return main.hitOffset >= 0 ? main : wholeTextExcerpt(finder, begin, restart, end);
}

// The excerpt, laying the text out from restart, before the first hit, where the page's text can be
// read again: what is read from there is the page's text from there, save perhaps a space at its
// start. When it gives fewer units before the hit than the excerpt takes, the page is read again
// from its beginning.
template <typename Char>
PageFinder::Excerpt PageMatching::wholeTextExcerpt(const PageFinder &finder, const Char *begin, const Char *restart,
                                                   const Char *end)
{
    if (finder.isEmpty())
        return {};
    const qsizetype before = ExcerptOut::before(finder);
    ExcerptOut out(finder, before);
    TextLayout<ExcerptOut> layout{out};
    html::readHtml(restart, end, layout);
    if (restart != begin && (out.hitOffset < 0 || out.hitOffset < before))
        return wholeTextExcerpt(finder, begin, begin, end);
    return finished(std::move(out));
}

namespace {

// The excerpt that out kept, cut to its length.
PageFinder::Excerpt finished(ExcerptOut &&out)
{
    if (out.hitOffset < 0)
        return {};
    const PageFinder &finder = out.matching.finder();
    QString text = std::move(out.text);
    const bool cutBefore = out.seen > qsizetype(out.ring.size());
    const bool cutAfter = text.size() > out.wanted;
    if (cutAfter)
        text.chop(text.size() - out.wanted);
    // Don't cut a character that takes two units in half at either end.
    qsizetype hitOffset = out.hitOffset;
    if (text.size() > hitOffset + finder.query().size() && text.back().isHighSurrogate())
        text.chop(1);
    if (hitOffset > 0 && text.front().isLowSurrogate()) {
        text.remove(0, 1);
        --hitOffset;
    }
    return {text, hitOffset, cutBefore, cutAfter};
}

} // namespace

PageFinder::Excerpt PageFinder::atWordBoundaries(Excerpt excerpt) const
{
    if (excerpt.hitOffset < 0)
        return excerpt;
    // The text is laid out: words are separated by single spaces.
    if (excerpt.cutBefore) {
        const qsizetype space = excerpt.text.indexOf(u' ');
        if (space >= 0 && space < excerpt.hitOffset) {
            excerpt.text.remove(0, space + 1);
            excerpt.hitOffset -= space + 1;
        }
    }
    if (excerpt.cutAfter) {
        const qsizetype space = excerpt.text.lastIndexOf(u' ');
        if (space >= excerpt.hitOffset + query_.size())
            excerpt.text.truncate(space);
    }
    return excerpt;
}

PageFinder::PageFinder(QStringView query, Qt::CaseSensitivity cs) : cs_(cs)
{
    // The query's white space as the page's: runs are one space, none at the ends.
    bool pending = false;
    for (const QChar c : query) {
        if (html::isSpace(c.unicode()) || c.unicode() == kNoBreakSpace) {
            pending = !query_.isEmpty();
        } else {
            if (pending)
                query_.append(u' ');
            pending = false;
            query_.append(c);
        }
    }

    for (int unit = 0; unit < 256; ++unit)
        latin1Fold_[size_t(unit)] = unit == kNoBreakSpace     ? u' '
                                    : cs == Qt::CaseSensitive ? char16_t(unit)
                                                              : char16_t(QChar::toCaseFolded(char32_t(unit)));
    for (int byte = 0; byte < 256; ++byte)
        byteFold_[size_t(byte)] = fold(platform::codePageChar(static_cast<unsigned char>(byte)));

    for (const QChar c : std::as_const(query_))
        folded_.push_back(fold(c.unicode()));
    if (!folded_.empty()) {
        for (int byte = 0; byte < 256; ++byte) {
            const char16_t folded = byteFold_[size_t(byte)];
            if (folded == folded_[0])
                firstBytes_.add(uchar(byte));
            if (folded_.size() == 1 || folded == folded_[1] || (folded_[1] == u' ' && html::isSpace(char32_t(byte)))) {
                secondBytes_.add(uchar(byte));
                secondBytesInPage_.add(uchar(byte));
            } else if (byte == '<' || byte == '&') {
                secondBytesInPage_.add(uchar(byte));
            }
        }
    }
    for (const html::NamedReference &named : html::namedReferences())
        namedReferenceStarts_ = namedReferenceStarts_ || mayStartWith(named.c, named.c2);
    fallback_.assign(folded_.size() + 1, 0);
    for (size_t k = 2; k <= folded_.size(); ++k) {
        int f = fallback_[k - 1];
        while (f > 0 && folded_[size_t(f)] != folded_[k - 1])
            f = fallback_[size_t(f)];
        fallback_[k] = folded_[size_t(f)] == folded_[k - 1] ? f + 1 : 0;
    }
}

void PageFinder::ByteSet::add(unsigned char byte)
{
    has[byte] = true;
    if (count >= 0 && count < int(list.size()))
        list[size_t(count++)] = char(byte);
    else
        count = -1;
}

bool PageFinder::mayStartWith(char32_t c, char16_t c2) const
{
    if (folded_.empty())
        return false;
    const char16_t first = folded_[0];
    if (QChar::requiresSurrogates(c))
        return QChar::highSurrogate(c) == first || QChar::lowSurrogate(c) == first;
    return fold(char16_t(c)) == first || (c2 && fold(c2) == first);
}

char16_t PageFinder::foldOutsideLatin1(char16_t unit) const
{
    // A surrogate folds to itself; the simple folding of every other unit stays within one unit.
    return cs_ == Qt::CaseSensitive ? unit : char16_t(QChar::toCaseFolded(char32_t(unit)));
}

// Alone, the excerpt is first looked for in the whole text, which tells whether the page holds the query.
PageFinder::Excerpt PageFinder::excerpt(QByteArrayView pageHtml) const
{
    const char *begin = pageHtml.data();
    const Excerpt whole = PageMatching::wholeTextExcerpt(*this, begin, begin, begin + pageHtml.size());
    return whole.hitOffset < 0 ? whole : PageMatching::excerpt(*this, begin, begin, begin + pageHtml.size());
}

PageFinder::Excerpt PageFinder::excerpt(QStringView pageHtml) const
{
    const char16_t *begin = pageHtml.utf16();
    const Excerpt whole = PageMatching::wholeTextExcerpt(*this, begin, begin, begin + pageHtml.size());
    return whole.hitOffset < 0 ? whole : PageMatching::excerpt(*this, begin, begin, begin + pageHtml.size());
}

PageFinder::Hits PageFinder::hits(QByteArrayView pageHtml) const
{
    return PageMatching::hits(*this, pageHtml.data(), pageHtml.data() + pageHtml.size());
}

PageFinder::Hits PageFinder::hits(QStringView pageHtml) const
{
    return PageMatching::hits(*this, pageHtml.utf16(), pageHtml.utf16() + pageHtml.size());
}

QString pageText(QStringView pageHtml)
{
    return textOf(pageHtml.utf16(), pageHtml.utf16() + pageHtml.size(), false);
}

QString pageText(QByteArrayView pageHtml)
{
    return textOf(pageHtml.data(), pageHtml.data() + pageHtml.size(), false);
}

QString pageMainText(QStringView pageHtml)
{
    return textOf(pageHtml.utf16(), pageHtml.utf16() + pageHtml.size(), true);
}

QString pageMainText(QByteArrayView pageHtml)
{
    return textOf(pageHtml.data(), pageHtml.data() + pageHtml.size(), true);
}

} // namespace book
