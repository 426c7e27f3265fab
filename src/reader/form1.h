#pragma once

#include "readerservices.h"

#include <book/pageindex.h>
#include <book/pagetable.h>
#include <pageview/pageview.h>

#include <QWidget>

#include <memory>
#include <deque>
#include <future>

namespace reader {

class PictureButton;

// The reader window: a row of seven picture buttons over the page view, which shows one page of the
// book at a time. It owns the page table, the HTML last prepared for the page view and the index of
// the current page for its whole life.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    // The window as designed, before loading: caption "Tavlo", the buttons at their design places.
    Form1(std::unique_ptr<pageview::PageView> pageView, ReaderServices services);
    ~Form1() override;

    // Shows the window modeless. The first time, the load handler runs to its end before the window
    // becomes visible; a failure there leaves the window hidden and reaches the caller.
    void showModeless();

    // Points the picture references of pageHtml into the images folder, in place.
    void ParsingImage();

    // The page table, every record of the book in file order.
    book::PageTable pages;
    // The HTML last prepared for the page view, after its pictures were pointed into the images folder.
    QString pageHtml;
    // The index in pages of the current page.
    qsizetype curPage = 0;

    // The controls, by their names.
    pageview::PageView &DHTMLEdit1;
    PictureButton *ext;
    PictureButton *nxt;
    PictureButton *find;
    PictureButton *home;
    PictureButton *previous;
    PictureButton *printall;
    PictureButton *print1;

    // The handlers of the user's actions; each runs to its end before the next action is taken.
    void previous_Click();
    void home_Click();
    void nxt_Click();
    void ext_Click();
    void print1_Click();
    void printall_Click();
    void find_Click();
    void DHTMLEdit1_onclick();

private:
    void Form_Load();
    void loadToolbarPictures();
    void layOut();
    void loadBook();
    void indexPages();
    // Steps 1 to 4 of showing page i: cut its record, take its HTML, rewrite its pictures, show it.
    void showPage(qsizetype i);
    void connectHandlers();
    void handle(void (Form1::*handler)());

    std::unique_ptr<pageview::PageView> pageView_;
    // The page names, read on a worker thread once the first page is shown, so that neither the
    // start nor the first link click waits for a large book's names.
    std::shared_future<std::shared_ptr<const book::PageIndex>> pageIndex_;
    ReaderServices services_;
    bool loaded_ = false;
    bool handling_ = false;
    std::deque<void (Form1::*)()> waiting_;
};

} // namespace reader
