// The pages shown before and after, as Back and Forward walk them, in the history and in a reading
// session without a window.
#include "fakepageview.h"

#include <book/bookfile.h>
#include <reader/pagehistory.h>
#include <reader/readingsession.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

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

TEST(ReadingSession, BackAndForwardShowThePagesAtTheAddressesTheyWereReachedBy)
{
    QTemporaryDir app;
    QFile notes(app.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("notes") > 0);
    notes.close();
    reader::ReaderServices services;
    services.applicationFolder = [&] { return app.path(); };
    services.showMessage = [](const QString &text) { ADD_FAILURE() << text.toStdString(); };
    FakePageView view(nullptr);
    reader::ReadingSession session(view, services);
    session.open(
        book::parseBook("Site<<$$>>index.html##<p>i</p>~search.html##<p>s</p>~b.html##<p>b</p>", QStringLiteral("site"))
            .pages);
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_TRUE(session.followInBook(QUrl(QStringLiteral("/search.html?q=walrus#tusks"))));
    EXPECT_EQ(session.currentPage(), 1);
    view.scroll = {0, 40};
    session.handle([&] { session.goToPage(2); });
    // A file of the folder stands in place of the page; Back shows the page again, then the search.
    EXPECT_TRUE(session.followInBook(QUrl(QStringLiteral("/notes.txt"))));
    view.calls.clear();
    session.back();
    EXPECT_EQ(session.currentPage(), 2);
    session.back();
    EXPECT_EQ(session.currentPage(), 1);
    EXPECT_EQ(view.calls, (QStringList{"put", "scroll:0,0", "put", "scroll:0,40"}));
    EXPECT_EQ(view.addresses, (QStringList{"q=walrus#tusks", "q=walrus#tusks"}));
    EXPECT_FALSE(session.followInBook(QUrl(QStringLiteral("/nowhere.html"))));
    // A link to a place in a page: the page is reached at that place, as its scripts see it.
    session.click({QStringLiteral("b.html#l 12"), std::nullopt});
    EXPECT_EQ(session.currentPage(), 2);
    EXPECT_EQ(view.addresses.last(), QStringLiteral("#l%2012"));

    // Back goes through the page's own entries first, as a browser's does; a page's script going
    // beyond them walks the pages shown, as far as it asks or as there are.
    view.entriesBehind = 1;
    session.back();
    EXPECT_EQ(view.entriesAhead, 1);
    session.leavePage(-5);
    EXPECT_EQ(session.currentPage(), 0);
    session.forward();
    EXPECT_EQ(session.currentPage(), 1);
    EXPECT_EQ(view.addresses.last(), QStringLiteral("q=walrus#tusks"));
    session.leavePage(7);
    EXPECT_EQ(session.currentPage(), 2);
}

} // namespace
