#include "onepassrewrite.h"

#include "parsingimage.h"

#include "platform/failure.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <bitset>
#include <unordered_map>
#include <vector>

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

// The first of sorted positions at or after from; -1 if none.
qsizetype firstFrom(const std::vector<qsizetype> &sorted, qsizetype from)
{
    const auto found = std::lower_bound(sorted.begin(), sorted.end(), from);
    return found == sorted.end() ? -1 : *found;
}

// The text put in front of the characters of the page as written, summed by their position there
// (a Fenwick tree): where each character stands now, and which one stands at a place now.
class Growth {
public:
    explicit Growth(qsizetype length) : size_(length + 1), tree_(size_t(length) + 2, 0)
    {
        while (highBit_ * 2 <= size_)
            highBit_ *= 2;
    }

    void add(qsizetype at, qsizetype count)
    {
        for (qsizetype i = at + 1; i <= size_; i += i & -i)
            tree_[size_t(i)] += count;
    }
    // The text put in front of the characters 0 to at (none for at < 0).
    qsizetype upTo(qsizetype at) const
    {
        qsizetype sum = 0;
        for (qsizetype i = std::min(at + 1, size_); i > 0; i -= i & -i)
            sum += tree_[size_t(i)];
        return sum;
    }
    qsizetype placeOf(qsizetype at) const { return at + upTo(at); }
    qsizetype putBefore(qsizetype at) const { return upTo(at) - upTo(at - 1); }
    // The first character as written that stands at place or after it now (size_ when none does).
    qsizetype writtenAt(qsizetype place) const
    {
        qsizetype i = 0;
        qsizetype sum = 0;
        for (qsizetype step = highBit_; step > 0; step /= 2) {
            const qsizetype next = i + step;
            if (next <= size_ && next - 1 + sum + tree_[size_t(next)] < place) {
                i = next;
                sum += tree_[size_t(next)];
            }
        }
        return i;
    }

private:
    qsizetype size_;
    std::vector<qsizetype> tree_;
    qsizetype highBit_ = 1;
};

// Where each of a set of values occurs in a text, found in one pass (Aho and Corasick). Gives up
// when the values occur more often than a page's rewriting can use, as values inside each other can.
class ValueIndex {
public:
    ValueIndex(const QString &text, const std::vector<PictureReference> &values, qsizetype mostHits)
    {
        rootLatin1_.fill(-1);
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
        }
        linkFailures();
        hits_.resize(lengths_.size());
        scan(text, mostHits);
    }

    // Where value begins in the text, in order; nullptr for a value not indexed, or for every value
    // once the index has given up.
    const std::vector<qsizetype> *find(const QString &value) const
    {
        const auto id = ids_.constFind(value);
        return complete_ && id != ids_.constEnd() ? &hits_[size_t(*id)] : nullptr;
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

    static quint64 key(int node, QChar c) { return (quint64(node) << 16) | c.unicode(); }
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
        qsizetype count = 0;
        int node = 0;
        const QChar *const chars = text.constData();
        for (qsizetype i = 0; i < text.size(); ++i) {
            // Most of a page begins no value: skipped without looking anything up.
            if (node == 0) {
                while (i < text.size() && !begins_[chars[i].unicode()])
                    ++i;
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
                hits_[size_t(value)].push_back(i + 1 - lengths_[size_t(value)]);
                if (++count > mostHits) {
                    complete_ = false;
                    return;
                }
            }
        }
    }

    std::vector<Node> nodes_;
    std::unordered_map<quint64, int> edges_;
    // The scan comes back to the root at nearly every character: its children by Latin-1 are looked
    // up without hashing.
    std::array<int, 0x100> rootLatin1_;
    QHash<QString, int> ids_;
    std::vector<qsizetype> lengths_;
    std::vector<std::vector<qsizetype>> hits_;
    std::bitset<0x10000> begins_; // the first characters of the values
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
    OnePass(QString &page, std::vector<qsizetype> images, QStringView folder, qsizetype limit,
            qsizetype &markerRewrites)
        : page_(page), written_(page), folder_(folder), limit_(limit), markerRewrites_(markerRewrites),
          length_(page.size()), growth_(page.size()), images_(std::move(images)), sources_(markersIn(written_, kSrc)),
          backgrounds_(markersIn(written_, kBackground, 1)), quotes_(markersIn(written_, QStringView(&kQuote, 1))),
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
            const qsizetype q = placeOfNext(quotes_, v);
            if (q < 0)
                break;
            if (!visit(v, q))
                return stop({false, v, q});
            p = placeOfNext(images_, q);
        }
        if (!backgrounds_.empty()) {
            const qsizetype v = growth_.placeOf(backgrounds_.front()) + kBackground.size() + 1;
            const qsizetype q = placeOfNext(quotes_, v);
            if (q >= 0 && !visit(v, q))
                return stop({true, v, q});
        }
        page_ = text();
        return std::nullopt;
    }

private:
    // pictureReferences() of the page as written, read off its markers.
    std::vector<PictureReference> writtenReferences() const
    {
        std::vector<PictureReference> references;
        const auto add = [&](qsizetype v) {
            const qsizetype q = firstFrom(quotes_, v);
            if (q >= 0)
                references.push_back({written_.sliced(v, q - v), v});
            return q;
        };
        for (qsizetype p = firstFrom(images_, 0); p >= 0;) {
            const qsizetype s = firstFrom(sources_, p);
            const qsizetype q = s < 0 ? -1 : add(s + kSrc.size() + 1);
            if (q < 0)
                break;
            p = firstFrom(images_, q);
        }
        if (!backgrounds_.empty())
            add(backgrounds_.front() + kBackground.size() + 1);
        return references;
    }

    // Where the first of the markers at or after place stands now; -1 if none.
    qsizetype placeOfNext(const std::vector<qsizetype> &written, qsizetype place) const
    {
        const qsizetype at = firstFrom(written, growth_.writtenAt(place));
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
        const std::vector<qsizetype> *occurrences = index_.find(value.toString());
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
        if (value.contains(kImg, Qt::CaseInsensitive) && markerRewrites_-- == 0) {
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
    Growth growth_;
    // Only the first "background=" of the page counts.
    std::vector<qsizetype> images_, sources_, backgrounds_, quotes_;
    ValueIndex index_;
    std::vector<QString> inserted_;
    std::vector<Put> puts_;
};

} // namespace

// Every marker holds a sign ("<", "=", the quote) that case folding takes no other character to, so
// only where that sign stands is the rest compared: a page is searched at the speed of one character,
// not folded character by character once a marker.
std::vector<qsizetype> markersIn(QStringView text, QStringView marker, std::size_t most)
{
    qsizetype sign = 0;
    while (sign < marker.size() && marker[sign].isLetter())
        ++sign;
    Q_ASSERT(sign < marker.size());
    std::vector<qsizetype> at;
    for (qsizetype i = text.indexOf(marker[sign], sign); i >= 0 && at.size() < most;
         i = text.indexOf(marker[sign], i + 1)) {
        const qsizetype begin = i - sign;
        if (begin + marker.size() <= text.size() && sameMarker(text.sliced(begin, marker.size()), marker))
            at.push_back(begin);
    }
    return at;
}

bool canRewriteInOnePass(QStringView applicationFolder)
{
    // Text put in front of a value must bring no marker, no quote and no part of one into the page.
    return !applicationFolder.contains(kQuote) && !applicationFolder.contains(u'=') &&
           !folderAddsPictureMarkers(applicationFolder);
}

std::optional<ScanPoint> rewriteInOnePass(QString &pageHtml, std::vector<qsizetype> images,
                                          QStringView applicationFolder, qsizetype limit, qsizetype &markerRewrites)
{
    return OnePass(pageHtml, std::move(images), applicationFolder, limit, markerRewrites).run();
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
