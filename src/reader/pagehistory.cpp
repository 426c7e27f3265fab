#include "pagehistory.h"

namespace reader {

void PageHistory::visit(qsizetype page, const QString &query, const QString &place)
{
    // The page shown anew at the same address (Home on the first page, a link to the page itself) is
    // no new entry; it begins at the top again.
    if (current_ >= 0 && entries_[current_].page == page && entries_[current_].query == query) {
        entries_[current_].scroll = {};
        entries_[current_].place = place;
        return;
    }
    entries_.erase(entries_.begin() + (current_ + 1), entries_.end());
    entries_.push_back({page, {}, query, place});
    if (qsizetype(entries_.size()) > kLongest)
        entries_.pop_front();
    current_ = qsizetype(entries_.size()) - 1;
}

void PageHistory::setScroll(QPointF scroll)
{
    if (current_ >= 0)
        entries_[current_].scroll = scroll;
}

const PageHistory::Entry &PageHistory::back()
{
    Q_ASSERT(canGoBack());
    return entries_[--current_];
}

const PageHistory::Entry &PageHistory::forward()
{
    Q_ASSERT(canGoForward());
    return entries_[++current_];
}

} // namespace reader
