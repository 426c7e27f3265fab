// The pages shown before and after, as Back and Forward walk them.
#include <reader/pagehistory.h>

#include <gtest/gtest.h>

namespace {

TEST(PageHistory, BackAndForwardWalkThePagesShownAndANewPageDropsWhatWasAhead)
{
    reader::PageHistory history;
    EXPECT_FALSE(history.canGoBack());
    for (const qsizetype page : {0, 4, 2})
        history.visit(page);
    history.setScroll({0, 300});
    EXPECT_EQ(history.back().page, 4);
    EXPECT_EQ(history.back().page, 0);
    EXPECT_FALSE(history.canGoBack());
    const reader::PageHistory::Entry &two = (history.forward(), history.forward());
    EXPECT_EQ(two.page, 2);
    EXPECT_EQ(two.scroll, QPointF(0, 300));
    EXPECT_FALSE(history.canGoForward());

    // From page 4, a new page: page 2 is no longer ahead.
    history.back();
    history.visit(7);
    EXPECT_FALSE(history.canGoForward());
    EXPECT_EQ(history.back().page, 4);

    // The page shown anew is no new entry, and starts at the top again.
    history.forward();
    history.setScroll({0, 50});
    history.visit(7);
    EXPECT_EQ(history.back().page, 4);
    EXPECT_EQ(history.forward().scroll, QPointF());
}

TEST(PageHistory, KeepsTheNewestEntriesOnly)
{
    reader::PageHistory history;
    for (qsizetype page = 0; page < reader::PageHistory::kLongest + 10; ++page)
        history.visit(page);
    qsizetype steps = 0;
    qsizetype oldest = -1;
    while (history.canGoBack()) {
        oldest = history.back().page;
        ++steps;
    }
    EXPECT_EQ(steps, reader::PageHistory::kLongest - 1);
    EXPECT_EQ(oldest, 10);
}

} // namespace
