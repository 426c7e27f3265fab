#pragma once

#include <QtGlobal>

#include <algorithm>
#include <vector>

namespace book {

// The text that the picture rewriting put in front of characters of a page as written, summed by
// their position there: where each character stands now, and which one stands at a place now. A page takes text in
// front of few of its characters, so the sums are kept by blocks of characters (a Fenwick tree small enough to stay in
// the cache, where one over every character would be as large as the page), and inside a block by the characters that
// took any.
class PageGrowth {
public:
    explicit PageGrowth(qsizetype length)
        : size_(length + 1), blocks_((size_ + kBlock - 1) / kBlock), tree_(size_t(blocks_) + 1, 0),
          puts_(size_t(blocks_))
    {
        while (highBit_ * 2 <= blocks_)
            highBit_ *= 2;
    }

    void add(qsizetype at, qsizetype count)
    {
        for (qsizetype i = at / kBlock + 1; i <= blocks_; i += i & -i)
            tree_[size_t(i)] += count;
        std::vector<Put> &inBlock = puts_[size_t(at / kBlock)];
        const auto put = std::lower_bound(inBlock.begin(), inBlock.end(), at,
                                          [](const Put &p, qsizetype position) { return p.at < position; });
        if (put != inBlock.end() && put->at == at)
            put->count += count;
        else
            inBlock.insert(put, {at, count});
    }
    // The text put in front of the characters 0 to at (none for at < 0).
    qsizetype upTo(qsizetype at) const
    {
        if (at < 0)
            return 0;
        at = std::min(at, size_ - 1);
        qsizetype sum = blocksBefore(at / kBlock);
        for (const Put &put : puts_[size_t(at / kBlock)]) {
            if (put.at > at)
                break;
            sum += put.count;
        }
        return sum;
    }
    qsizetype placeOf(qsizetype at) const { return at + upTo(at); }
    qsizetype putBefore(qsizetype at) const
    {
        if (at < 0 || at >= size_)
            return 0;
        for (const Put &put : puts_[size_t(at / kBlock)])
            if (put.at == at)
                return put.count;
        return 0;
    }
    // The first character as written that stands at place or after it now (size_ when none does).
    qsizetype writtenAt(qsizetype place) const
    {
        // The blocks whose every character stands before place, by the place of their last.
        qsizetype block = 0;
        qsizetype sum = 0;
        for (qsizetype step = highBit_; step > 0; step /= 2) {
            const qsizetype next = block + step;
            if (next <= blocks_ && std::min(next * kBlock, size_) - 1 + sum + tree_[size_t(next)] < place) {
                block = next;
                sum += tree_[size_t(next)];
            }
        }
        if (block == blocks_)
            return size_;
        // In the block, between the characters that took text: each stands where the one before it
        // does, one further on.
        qsizetype from = block * kBlock;
        for (const Put &put : puts_[size_t(block)]) {
            if (const qsizetype at = std::max(from, place - sum); at < put.at)
                return at;
            sum += put.count;
            from = put.at;
        }
        return std::min(std::max(from, place - sum), size_);
    }

private:
    static constexpr qsizetype kBlock = 128;
    struct Put {
        qsizetype at;
        qsizetype count;
    };

    qsizetype blocksBefore(qsizetype block) const
    {
        qsizetype sum = 0;
        for (qsizetype i = block; i > 0; i -= i & -i)
            sum += tree_[size_t(i)];
        return sum;
    }

    qsizetype size_;
    qsizetype blocks_;
    std::vector<qsizetype> tree_;
    std::vector<std::vector<Put>> puts_;
    qsizetype highBit_ = 1;
};

} // namespace book
