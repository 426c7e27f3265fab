#pragma once

#include "pagehistory.h"
#include "readerservices.h"

#include <book/pageindex.h>
#include <book/pagetable.h>
#include <pageview/pageview.h>

#include <QFutureWatcher>
#include <QObject>

#include <deque>
#include <functional>
#include <memory>
#include <utility>

namespace reader {

// Reading a book, without the window around it: the page table, the HTML last prepared for the page
// view, the current page, where the reader has been, and where the book's links lead. The user's
// actions reach it as handlers, which run one after another.
class ReadingSession final : public QObject {
    Q_OBJECT

public:
    ReadingSession(pageview::PageView &view, const ReaderServices &services, QObject *parent = nullptr);

    // Takes the book's pages and shows page 0; the page names are read on a worker thread meanwhile.
    void open(book::PageTable table);

    const book::PageTable &table() const { return pages; }
    qsizetype currentPage() const { return curPage; }

    // Runs a handler of the user's actions, after the one that runs, if any.
    void handle(std::function<void()> handler);

    // The described page turns: each says so where there is no page to turn to.
    void next();
    void previous();
    // Shows page i and makes it the current page, in the described order: shown first, then curPage;
    // a click switches setting 26 off before taking the HTML and on before putting it (aroundRewriting).
    void goToPage(qsizetype i, bool aroundRewriting = false);
    // Shows page i, as a search result: at the first place where query stands, highlighted.
    void showFoundPage(qsizetype i, const QString &query, bool matchCase);
    // Back and Forward: first through the entries that the page shown added to its own history, as a
    // browser goes; then the pages shown before and after, at the address they were reached by and
    // scrolled where they were.
    void back();
    void forward();
    // The pages shown before (offset < 0) or after, offset entries away or as far as there are: where
    // a page's script going through its history beyond its own entries leads.
    void leavePage(int offset);

    // A click in the page, with the link it met as the page view reported it.
    void click(const pageview::Click &click);
    // Follows an address of the book as a browser would: a page by its path (shown with the address's
    // query and place, for its scripts), the page shown when the path is empty, or a file that is no
    // page: shown, or on the reader's click handed to its program. False when it names none.
    bool followInBook(const QUrl &target, const pageview::Click *click = nullptr);

    // Print all shows every page with a header of its own, outside the pages the reader went through.
    void startPrinting();
    void showForPrinting(qsizetype i, const QString &header);

signals:
    // Around each handler: what shows where the reader is follows.
    void aboutToHandle();
    void handled(bool pageChanged);

private:
    // The show page sequence for page i: cut its record, take its HTML into pageHtml with its pictures
    // pointed into the images folder, and put header followed by pageHtml into the page view.
    void showPage(qsizetype i, bool aroundRewriting = false, const QString &header = {});
    // Takes page i's HTML into pageHtml, its picture references pointed into the images folder.
    void ParsingImage(qsizetype i);
    // Page i was shown as the current page by a command (not by Back or Forward): remember it.
    void shown(qsizetype i);
    void showHistoryEntry(const PageHistory::Entry &entry);
    // Follows the link a click met (empty: none), as the page view reported it with the link that
    // was under the pointer when the button went down.
    void followClick(const pageview::Click &click);
    // A file of the folder that is no page, by its path in the folder and on this machine.
    void followFile(const QString &path, const QString &file, const pageview::Click *click);
    // Hands a web or mail link to the user's programs, and says so when none takes it.
    void openLink(const QUrl &url);

    pageview::PageView &view_;
    const ReaderServices &services_;

    // The page table, every record of the book in file order.
    book::PageTable pages;
    // The HTML last prepared for the page view, after its pictures were pointed into the images folder.
    QString pageHtml;
    // The index in pages of the current page.
    qsizetype curPage = 0;

    // The page names, read on a worker thread once the first page is shown, so that neither the
    // start nor a link click waits for a large book's names: a click that comes before they are
    // read is followed once they are, with its own link.
    QFutureWatcher<std::shared_ptr<const book::PageIndex>> pageIndex_;
    std::deque<pageview::Click> clicksWaiting_;
    PageHistory history_;
    // The page view shows the page of history_'s current entry (not, say, a page print all left).
    bool showsHistoryEntry_ = false;
    // The query and place the page about to be shown was reached with, for its history entry.
    std::pair<QString, QString> shownAddress_;
    // A file of the folder stands in place of the current page: Back shows that page again.
    bool showsFile_ = false;
    bool handling_ = false;
    std::deque<std::function<void()>> waiting_;
};

} // namespace reader
