#pragma once

#include "printalljob.h"
#include "readeractions.h"
#include "readerservices.h"
#include "readingsession.h"
#include "windowfit.h"

#include <pageview/pageview.h>

#include <QWidget>

#include <functional>

namespace reader {

class PictureButton;
class ReadingAids;

// The reader window: a row of seven picture buttons over the page view, which shows one page of the
// book at a time, laid out at load to the size of the screen. Reading the book is its session's;
// beside the described window come the band, the side panel, go to page and the reading places.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    // Makes the page view, as a child of the window given.
    using PageViewMaker = std::function<pageview::PageView *(QWidget *window)>;

    // The window as designed, before loading: caption "Tavlo", the buttons at their design places,
    // the page view that makePageView gives.
    Form1(const PageViewMaker &makePageView, ReaderServices services);
    // Remembers where the reader left the book, unless the window was closed first.
    ~Form1() override;

    // Shows the window modeless. The first time, the load handler runs to its end before the window
    // becomes visible; a failure there leaves the window hidden and reaches the caller.
    void showModeless();

    // The index in the page table of the current page, as the commands left it.
    qsizetype currentPage() const { return session_.currentPage(); }

    // The controls, by their names.
    pageview::PageView &DHTMLEdit1;
    PictureButton *ext;
    PictureButton *nxt;
    PictureButton *find;
    PictureButton *home;
    PictureButton *previous;
    PictureButton *printall;
    PictureButton *print1;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The handlers of the user's actions; each runs to its end before the next action is taken.
    void previous_Click();
    void home_Click();
    void nxt_Click();
    void ext_Click();
    void print1_Click();
    void printall_Click();
    void find_Click();
    void DHTMLEdit1_onclick(const pageview::Click &click);

    void Form_Load();
    void loadToolbarPictures();
    void layOut();
    void loadBook();
    void connectHandlers();
    void handle(void (Form1::*handler)()); // after the handler that runs, if any

    // What comes beside the described window once it is shown: keys, the band, input of the page view.
    void setUpReading();
    void rememberPlace();
    void focusPage();

    ReaderServices services_;
    ReadingSession session_;
    PrintAllJob printAll_;
    WindowFit fit_;
    bool loaded_ = false;
    // The book's title as its file holds it, and the file's path on this machine.
    QString title_;
    QString bookPath_;
    ReadingAids *aids_ = nullptr;
};

} // namespace reader
