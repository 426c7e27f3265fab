#pragma once

#include <QPointF>
#include <QString>
#include <QtGlobal>

#include <deque>

namespace reader {

// The pages the reader has been shown, in order, each with where it was scrolled to, and the entry
// that Back and Forward move from, as in a web browser.
class PageHistory {
public:
    struct Entry {
        qsizetype page = 0;
        QPointF scroll;
        // The address it was reached by, for its scripts: the query ("q=walrus") and the place.
        QString query;
        QString place;
    };

    // A page shown by any command but Back and Forward: it follows the current entry, and the entries
    // after that are dropped. The oldest entries go beyond kLongest.
    void visit(qsizetype page, const QString &query = {}, const QString &place = {});
    // Where the page of the current entry is scrolled to now.
    void setScroll(QPointF scroll);

    // The entry of the page shown last by a command; null before the first.
    const Entry *current() const { return current_ >= 0 ? &entries_[size_t(current_)] : nullptr; }
    bool canGoBack() const { return current_ > 0; }
    bool canGoForward() const { return current_ + 1 < qsizetype(entries_.size()); }
    // Move to the entry before or after the current one and give it; only when there is one.
    const Entry &back();
    const Entry &forward();

    static constexpr qsizetype kLongest = 1000;

private:
    std::deque<Entry> entries_;
    qsizetype current_ = -1;
};

} // namespace reader
