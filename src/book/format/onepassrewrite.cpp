#include "onepassrewrite.h"

#include "pagegrowth.h"

#include "parsingimage.h"

#include "platform/failure.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <bitset>
#include <span>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace book {
namespace {

// What a rewrite puts in front of a value: the folder, then one of these.
constexpr std::array<QStringView, 2> kBetween = {u"\\", u"\\images\\"};

// Whether text is marker (written in lower case) without regard to case. ASCII is told apart at once;
// other characters by Qt's case folding, which takes a few to ASCII letters (the long s to "s").
bool sameMarker(QStringView text, QStringView marker)
{
    for (qsizetype i = 0; i < marker.size(); ++i) {
        const char16_t t = text[i].unicode();
        const char16_t m = marker[i].unicode();
        if (t >= 0x80)
            return text.compare(marker, Qt::CaseInsensitive) == 0;
        if (t != m && (m < u'a' || m > u'z' || (t | 0x20) != m))
            return false;
    }
    return true;
}

// The sorted positions of a marker in a page, each lookup begun where the one before ended: a walk
// over the page asks in order, nearly, so a lookup takes a few steps, not a binary search's dozen
// unforeseeable ones.
class Positions {
public:
    explicit Positions(std::vector<qsizetype> sorted) : sorted_(std::move(sorted)) {}

    bool empty() const { return sorted_.empty(); }
    qsizetype front() const { return sorted_.front(); }
    // The first position at or after from; -1 if none.
    qsizetype firstFrom(qsizetype from)
    {
        last_ = indexFrom(from);
        return last_ < sorted_.size() ? sorted_[last_] : -1;
    }

private:
    // Brackets the index by steps that double from the last one, then searches the bracket.
    size_t indexFrom(qsizetype from) const
    {
        const size_t size = sorted_.size();
        const size_t last = std::min(last_, size);
        size_t low = 0; // the index lies in [low, high]
        size_t high = size;
        if (last < size && sorted_[last] < from) {
            low = last + 1;
            for (size_t step = 1; low + step <= size; step *= 2) {
                if (sorted_[low + step - 1] >= from) {
                    high = low + step - 1;
                    break;
                }
                low += step;
            }
        } else {
            high = last;
            for (size_t step = 1; step <= high; step *= 2) {
                if (sorted_[high - step] < from) {
                    low = high - step + 1;
                    break;
                }
                high -= step;
            }
        }
        return size_t(std::lower_bound(sorted_.begin() + qsizetype(low), sorted_.begin() + qsizetype(high), from) -
                      sorted_.begin());
    }

    std::vector<qsizetype> sorted_;
    size_t last_ = 0;
};

// Where each of a set of values occurs in a text, found in one pass (Aho and Corasick). Gives up
// when the values occur more often than a page's rewriting can use, as values inside each other can.
class ValueIndex {
public:
    ValueIndex(const QString &text, const std::vector<PictureReference> &values, qsizetype mostHits)
    {
        rootLatin1_.fill(-1);
        ids_.reserve(qsizetype(values.size()));
        nodes_.emplace_back();
        for (const PictureReference &value : values) {
            if (value.value.isEmpty() || ids_.contains(value.value))
                continue;
            int node = 0;
            for (const QChar c : value.value) {
                const int next = child(node, c);
                if (next >= 0) {
                    node = next;
                    continue;
                }
                node = addChild(node, c);
            }
            nodes_[size_t(node)].value = int(lengths_.size());
            ids_.insert(value.value, int(lengths_.size()));
            lengths_.push_back(value.value.size());
            notePair(value.value);
        }
        linkFailures();
        scan(text, mostHits);
    }

    // Where value begins in the text, in order; nothing for a value not indexed, or for every value
    // once the index has given up.
    std::optional<std::span<const qsizetype>> find(const QString &value) const
    {
        const auto id = ids_.constFind(value);
        if (!complete_ || id == ids_.constEnd())
            return std::nullopt;
        return std::span(hits_).subspan(first_[size_t(*id)], first_[size_t(*id) + 1] - first_[size_t(*id)]);
    }

private:
    struct Node {
        int failure = 0;
        int value = -1;   // the value that ends here
        int shorter = -1; // the nearest node on the failure chain where a value ends
        // Most nodes of long values have one child, found without a lookup.
        int children = 0;
        char16_t onlyChar = 0;
        int onlyChild = -1;
        int parent = -1;
        char16_t c = 0; // the character that leads here from the parent
    };

    // A node of one child keeps it in itself; the edges of nodes of more are hashed.
    int addChild(int node, QChar c)
    {
        nodes_.push_back({.parent = node, .c = c.unicode()});
        const int added = int(nodes_.size() - 1);
        Node &parent = nodes_[size_t(node)];
        if (parent.children == 0) {
            parent.onlyChar = c.unicode();
            parent.onlyChild = added;
        } else {
            if (parent.children == 1)
                edges_.emplace(key(node, QChar(parent.onlyChar)), parent.onlyChild);
            edges_.emplace(key(node, c), added);
        }
        ++parent.children;
        if (node == 0) {
            begins_.set(c.unicode());
            if (c.unicode() < rootLatin1_.size())
                rootLatin1_[c.unicode()] = added;
        }
        return added;
    }

    // The first two characters of the values, while they are few and no value is shorter: the scan
    // then passes over text that begins none eight characters at a time.
    static constexpr size_t kMostPairs = 8;
    void notePair(QStringView value)
    {
        if (value.size() < 2) {
            pairsUsable_ = false;
            return;
        }
        const std::pair<char16_t, char16_t> pair(value[0].unicode(), value[1].unicode());
        if (std::find(pairs_.begin(), pairs_.end(), pair) != pairs_.end())
            return;
        pairsUsable_ = pairsUsable_ && pairs_.size() < kMostPairs;
#if defined(__SSE2__)
        if (pairsUsable_) {
            firsts_[pairs_.size()] = _mm_set1_epi16(short(pair.first));
            seconds_[pairs_.size()] = _mm_set1_epi16(short(pair.second));
        }
#endif
        pairs_.push_back(pair);
    }

    // The first place at or after p where a value's first two characters stand; end if none.
    const char16_t *nextPair(const char16_t *p, const char16_t *end) const
    {
#if defined(__SSE2__)
        for (; end - p >= 9; p += 8) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
            __m128i hits = _mm_setzero_si128();
            for (size_t k = 0; k < pairs_.size(); ++k)
                hits = _mm_or_si128(
                    hits, _mm_and_si128(_mm_cmpeq_epi16(here, firsts_[k]), _mm_cmpeq_epi16(next, seconds_[k])));
            if (const auto mask = unsigned(_mm_movemask_epi8(_mm_packs_epi16(hits, _mm_setzero_si128()))))
                return p + __builtin_ctz(mask);
        }
#endif
        for (; end - p >= 2; ++p) {
            if (std::find(pairs_.begin(), pairs_.end(), std::pair(p[0], p[1])) != pairs_.end())
                return p;
        }
        return end;
    }

    static quint64 key(int node, QChar c)
    {
        return (quint64(node) << 16) | c.unicode();
    }
    int child(int node, QChar c) const
    {
        if (node == 0 && c.unicode() < rootLatin1_.size())
            return rootLatin1_[c.unicode()];
        const Node &parent = nodes_[size_t(node)];
        if (parent.children <= 1)
            return parent.children == 1 && parent.onlyChar == c.unicode() ? parent.onlyChild : -1;
        const auto found = edges_.find(key(node, c));
        return found == edges_.end() ? -1 : found->second;
    }

    void linkFailures()
    {
        // Each node's children, by counting: node n's lie in kids[first[n], first[n + 1]).
        std::vector<int> first(nodes_.size() + 1, 0);
        for (std::size_t n = 1; n < nodes_.size(); ++n)
            ++first[size_t(nodes_[n].parent) + 1];
        for (std::size_t n = 1; n < first.size(); ++n)
            first[n] += first[n - 1];
        std::vector<int> kids(nodes_.size());
        std::vector<int> filled(first.begin(), first.end() - 1);
        for (std::size_t n = 1; n < nodes_.size(); ++n)
            kids[size_t(filled[size_t(nodes_[n].parent)]++)] = int(n);
        // Breadth first: a node's failure is known before its children's.
        std::vector<int> queue(kids.begin() + first[0], kids.begin() + first[1]);
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const int node = queue[head];
            for (int k = first[size_t(node)]; k < first[size_t(node) + 1]; ++k) {
                const int next = kids[size_t(k)];
                const QChar c(nodes_[size_t(next)].c);
                int failure = nodes_[size_t(node)].failure;
                while (failure > 0 && child(failure, c) < 0)
                    failure = nodes_[size_t(failure)].failure;
                const int target = child(failure, c);
                nodes_[size_t(next)].failure = target >= 0 && target != next ? target : 0;
                const Node &f = nodes_[size_t(nodes_[size_t(next)].failure)];
                nodes_[size_t(next)].shorter = f.value >= 0 ? nodes_[size_t(next)].failure : f.shorter;
                queue.push_back(next);
            }
        }
    }

    void scan(const QString &text, qsizetype mostHits)
    {
        std::vector<std::pair<int, qsizetype>> found; // value, where it begins
        int node = 0;
        const QChar *const chars = text.constData();
        for (qsizetype i = 0; i < text.size(); ++i) {
            // Most of a page begins no value: skipped without looking anything up.
            if (node == 0) {
                if (pairsUsable_) {
                    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
                    i = nextPair(units + i, units + text.size()) - units;
                } else {
                    while (i < text.size() && !begins_[chars[i].unicode()])
                        ++i;
                }
                if (i == text.size())
                    break;
            }
            const QChar c = text[i];
            while (node > 0 && child(node, c) < 0)
                node = nodes_[size_t(node)].failure;
            node = std::max(child(node, c), 0);
            for (int n = nodes_[size_t(node)].value >= 0 ? node : nodes_[size_t(node)].shorter; n >= 0;
                 n = nodes_[size_t(n)].shorter) {
                const int value = nodes_[size_t(n)].value;
                found.emplace_back(value, i + 1 - lengths_[size_t(value)]);
                if (qsizetype(found.size()) > mostHits) {
                    complete_ = false;
                    return;
                }
            }
        }
        // By value, each value's in order: counted, then laid out in one array.
        first_.assign(lengths_.size() + 1, 0);
        for (const auto &[value, at] : found)
            ++first_[size_t(value) + 1];
        for (size_t v = 1; v < first_.size(); ++v)
            first_[v] += first_[v - 1];
        hits_.resize(found.size());
        std::vector<size_t> next(first_.begin(), first_.end() - 1);
        for (const auto &[value, at] : found)
            hits_[next[size_t(value)]++] = at;
    }

    std::vector<Node> nodes_;
    std::unordered_map<quint64, int> edges_;
    // The scan comes back to the root at nearly every character: its children by Latin-1 are looked
    // up without hashing.
    std::array<int, 0x100> rootLatin1_;
    QHash<QString, int> ids_;
    std::vector<qsizetype> lengths_;
    std::vector<qsizetype> hits_; // the occurrences of value v are hits_[first_[v], first_[v + 1])
    std::vector<size_t> first_;
    std::bitset<0x10000> begins_; // the first characters of the values
    std::vector<std::pair<char16_t, char16_t>> pairs_;
    bool pairsUsable_ = true;
#if defined(__SSE2__)
    __m128i firsts_[kMostPairs]{}; // the pairs' characters, eight times over
    __m128i seconds_[kMostPairs]{};
#endif
    bool complete_ = true;
};

// Whether pattern occurs in text, or a beginning of it ends text. Qt's search for the first, and the
// beginnings no longer than text for the second: one of the two is the folder, a few dozen characters,
// while the other may run over much of the page.
bool meets(QStringView pattern, QStringView text)
{
    if (pattern.isEmpty())
        return false;
    if (text.contains(pattern))
        return true;
    if (text.isEmpty())
        return false;
    // Only a beginning that ends with text's last character can end text.
    const QChar last = text.back();
    for (qsizetype length = std::min(pattern.size() - 1, text.size()); length > 0; --length) {
        if (pattern[length - 1] == last && text.endsWith(pattern.first(length)))
            return true;
    }
    return false;
}

// Whether an occurrence of value could take in any character of inserted text: value holds it, lies
// in it, or overlaps its beginning or its end.
bool mayMeet(QStringView value, QStringView inserted)
{
    return meets(inserted, value) || meets(value, inserted);
}

class OnePass {
public:
    OnePass(QString &page, PageMarkers markers, QStringView folder, qsizetype limit, qsizetype &markerRewrites)
        : page_(page), written_(page), folder_(folder), limit_(limit), markerRewrites_(markerRewrites),
          length_(page.size()), growth_(page.size()), images_(std::move(markers.images)),
          sources_(std::move(markers.sources)), backgrounds_(std::move(markers.backgrounds)),
          // A value's occurrences may be looked at once for each time it is rewritten: a few per
          // character of the page is far more than a page of pictures needs.
          index_(written_, writtenReferences(), 4 * written_.size() + 4096)
    {
        for (const QStringView between : kBetween) {
            QString text = folder_.toString();
            text += between;
            inserted_.push_back(text);
        }
    }

    std::optional<ScanPoint> run()
    {
        for (qsizetype p = placeOfNext(images_, 0); p >= 0;) {
            const qsizetype s = placeOfNext(sources_, p);
            if (s < 0)
                break;
            const qsizetype v = s + kSrc.size() + 1;
            const qsizetype q = placeOfQuote(v);
            if (q < 0)
                break;
            if (!visit(v, q))
                return stop({false, v, q});
            p = placeOfNext(images_, q);
        }
        if (!backgrounds_.empty()) {
            const qsizetype v = growth_.placeOf(backgrounds_.front()) + kBackground.size() + 1;
            const qsizetype q = placeOfQuote(v);
            if (q >= 0 && !visit(v, q))
                return stop({true, v, q});
        }
        page_ = text();
        return std::nullopt;
    }

private:
    // pictureReferences() of the page as written, read off its markers.
    std::vector<PictureReference> writtenReferences()
    {
        std::vector<PictureReference> references;
        const auto add = [&](qsizetype v) {
            const qsizetype q = written_.indexOf(kQuote, v);
            if (q >= 0)
                references.push_back({written_.sliced(v, q - v), v});
            return q;
        };
        for (qsizetype p = images_.firstFrom(0); p >= 0;) {
            const qsizetype s = sources_.firstFrom(p);
            const qsizetype q = s < 0 ? -1 : add(s + kSrc.size() + 1);
            if (q < 0)
                break;
            p = images_.firstFrom(q);
        }
        if (!backgrounds_.empty())
            add(backgrounds_.front() + kBackground.size() + 1);
        return references;
    }

    // Where the first quote at or after place stands now; -1 if none. Looked for in the page as
    // written: the closing quote of a value lies close after it, and the walk goes on after it.
    qsizetype placeOfQuote(qsizetype place) const
    {
        const qsizetype at = written_.indexOf(kQuote, growth_.writtenAt(place));
        return at < 0 ? -1 : growth_.placeOf(at);
    }

    // Where the first of the markers at or after place stands now; -1 if none.
    qsizetype placeOfNext(Positions &written, qsizetype place)
    {
        const qsizetype at = written.firstFrom(growth_.writtenAt(place));
        return at < 0 ? -1 : growth_.placeOf(at);
    }

    std::optional<ScanPoint> stop(const ScanPoint &point)
    {
        page_ = text();
        return point;
    }

    // Rewrites the value at [v, q) as parsingImage() does; false where that can't be told here.
    bool visit(qsizetype v, qsizetype q)
    {
        if (q == v)
            return true;
        const qsizetype first = growth_.writtenAt(v);
        const qsizetype last = growth_.writtenAt(q); // the closing quote
        if (growth_.placeOf(first) != v) {
            // A value that begins with text put in front of it begins with the folder: left alone.
            return v == growth_.placeOf(first) - growth_.putBefore(first);
        }
        if (growth_.upTo(last) != growth_.upTo(first))
            return false;
        const QStringView value = QStringView(written_).sliced(first, last - first);
        if (value.size() >= folder_.size() && value.first(folder_.size()).compare(folder_, Qt::CaseInsensitive) == 0)
            return true;
        const bool namesImages = value.startsWith(kImages, Qt::CaseInsensitive);
        if (std::any_of(inserted_.begin(), inserted_.end(), [&](const QString &in) { return mayMeet(value, in); }))
            return false;
        const std::optional<std::span<const qsizetype>> occurrences = index_.find(value.toString());
        if (!occurrences)
            return false;

        // Every occurrence of the value in the page now is one as written with nothing put inside it;
        // one left-to-right scan takes them without overlapping.
        std::vector<qsizetype> hits;
        qsizetype end = 0;
        for (const qsizetype at : *occurrences) {
            if (at < end || growth_.upTo(at + value.size() - 1) != growth_.upTo(at))
                continue;
            if (breaksMarker(at))
                return false;
            hits.push_back(at);
            end = at + value.size();
        }
        // Each rewrite of a value that holds "<img" (its quote left open) brings the scan its element
        // again: counted as the step-by-step walk counts it.
        if (value.contains(kImg.front()) && value.contains(kImg, Qt::CaseInsensitive) && markerRewrites_-- == 0) {
            page_ = text();
            failRewrittenTooOften(folder_);
        }
        const int between = namesImages ? 0 : 1;
        const qsizetype growth = inserted_[size_t(between)].size();
        if (length_ + qsizetype(hits.size()) * growth > limit_) {
            page_ = text();
            failPageTooLong(value, limit_);
        }
        for (const qsizetype at : hits) {
            growth_.add(at, growth);
            puts_.push_back({at, between});
        }
        length_ += qsizetype(hits.size()) * growth;
        return true;
    }

    // Whether text put in front of the character at would break up a marker that the walk looks for.
    bool breaksMarker(qsizetype at) const
    {
        for (const QStringView marker : {kImg, kSrc, kBackground}) {
            for (qsizetype cut = 1; cut < marker.size(); ++cut) {
                const qsizetype begin = at - cut;
                if (begin >= 0 && begin + marker.size() <= written_.size() &&
                    sameMarker(QStringView(written_).sliced(begin, marker.size()), marker))
                    return true;
            }
        }
        return false;
    }

    // The page as rewritten so far.
    QString text()
    {
        if (puts_.empty())
            return written_;
        // Text put in front of the same character stands in the order it was put.
        std::stable_sort(puts_.begin(), puts_.end(), [](const Put &a, const Put &b) { return a.at < b.at; });
        QString text;
        text.reserve(length_);
        qsizetype done = 0;
        for (const Put &put : puts_) {
            text += QStringView(written_).sliced(done, put.at - done);
            text += inserted_[size_t(put.between)];
            done = put.at;
        }
        text += QStringView(written_).sliced(done);
        puts_.clear();
        return text;
    }

    struct Put {
        qsizetype at;
        int between;
    };

    QString &page_;
    const QString written_;
    QStringView folder_;
    qsizetype limit_;
    qsizetype &markerRewrites_;
    qsizetype length_;
    PageGrowth growth_;
    // Only the first "background=" of the page counts.
    Positions images_, sources_, backgrounds_;
    ValueIndex index_;
    std::vector<QString> inserted_;
    std::vector<Put> puts_;
};

} // namespace

// Every marker holds a sign ("<" or "=") that case folding takes no other character to, so
// only where a sign stands is the rest compared: the page is searched once, eight characters at a time
// where the machine allows, not folded character by character.
PageMarkers markersOf(QStringView text)
{
    PageMarkers markers;
    const char16_t *const units = text.utf16();
    const qsizetype size = text.size();
    // Where marker would begin, with its sign at i, if it is there.
    const auto at = [&](qsizetype i, QStringView marker, qsizetype sign) {
        const qsizetype begin = i - sign;
        return begin >= 0 && begin + marker.size() <= size && sameMarker(text.sliced(begin, marker.size()), marker);
    };
    // Whether the character at i may be the marker's letter c: it is, in either case, or it is beyond
    // ASCII, where sameMarker() asks Qt. Most signs are told apart by it at once.
    const auto mayBe = [&](qsizetype i, char16_t c) {
        return i >= 0 && i < size && ((units[i] | 0x20) == c || units[i] >= 0x80);
    };
    const auto visit = [&](qsizetype i) {
        switch (units[i]) {
        case u'<':
            if (mayBe(i + 1, u'i') && at(i, kImg, 0))
                markers.images.push_back(i);
            break;
        case u'=':
            if (mayBe(i - 1, u'c') && at(i, kSrc, kSrc.size() - 1))
                markers.sources.push_back(i + 1 - kSrc.size());
            if (markers.backgrounds.empty() && mayBe(i - 1, u'd') && at(i, kBackground, kBackground.size() - 1))
                markers.backgrounds.push_back(i + 1 - kBackground.size());
            break;
        default:
            break;
        }
    };
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi16(short(u'<'));
    const __m128i eq = _mm_set1_epi16(short(u'='));
    for (; size - i >= 8; i += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + i));
        const __m128i signs = _mm_or_si128(_mm_cmpeq_epi16(chunk, lt), _mm_cmpeq_epi16(chunk, eq));
        // A bit for each character that is a sign.
        for (auto mask = unsigned(_mm_movemask_epi8(_mm_packs_epi16(signs, _mm_setzero_si128()))); mask != 0;
             mask &= mask - 1)
            visit(i + __builtin_ctz(mask));
    }
#endif
    for (; i < size; ++i)
        visit(i);
    return markers;
}

bool canRewriteInOnePass(QStringView applicationFolder)
{
    // Text put in front of a value must bring no marker, no quote and no part of one into the page.
    return !applicationFolder.contains(kQuote) && !applicationFolder.contains(u'=') &&
           !folderAddsPictureMarkers(applicationFolder);
}

std::optional<ScanPoint> rewriteInOnePass(QString &pageHtml, PageMarkers markers, QStringView applicationFolder,
                                          qsizetype limit, qsizetype &markerRewrites)
{
    return OnePass(pageHtml, std::move(markers), applicationFolder, limit, markerRewrites).run();
}

void failPageTooLong(QStringView value, qsizetype limit)
{
    throw platform::Failure(platform::error::OutOfStringSpace,
                            QStringLiteral("Out of string space: rewriting the picture \"%1\" would make the "
                                           "page longer than %2 characters")
                                .arg(value.left(80))
                                .arg(limit));
}

void failRewrittenTooOften(QStringView applicationFolder)
{
    throw platform::Failure(platform::error::OutOfStringSpace,
                            QStringLiteral("Out of string space: the pictures of the page were rewritten as many "
                                           "times as it may be and the scan still finds new ones in the text it "
                                           "inserted (the application folder is \"%1\")")
                                .arg(applicationFolder));
}

} // namespace book
