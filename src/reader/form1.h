#pragma once

#include "pagehistory.h"
#include "readerservices.h"
#include "readingplaces.h"

#include <book/contents.h>
#include <book/pageindex.h>
#include <book/pagetable.h>
#include <pageview/pageview.h>

#include <QFutureWatcher>
#include <QKeySequence>
#include <QThreadPool>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QAction;
class QLabel;
class QTabWidget;

namespace reader {

class Announcement;
class BookSearchBar;
class ContentsView;
class GoToPageField;
class PictureButton;

// The reader window: a row of seven picture buttons over the page view, which shows one page of the
// book at a time. It owns the page table, the HTML last prepared for the page view and the index of
// the current page for its whole life.
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

    // Points the picture references of pageHtml into the images folder, in place.
    void ParsingImage();

    // The index in the page table of the current page, as the commands left it.
    qsizetype currentPage() const { return curPage; }

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
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The page table, every record of the book in file order.
    book::PageTable pages;
    // The HTML last prepared for the page view, after its pictures were pointed into the images folder.
    QString pageHtml;
    // The index in pages of the current page.
    qsizetype curPage = 0;

    // The handlers of the user's actions; each runs to its end before the next action is taken.
    void previous_Click();
    void home_Click();
    void nxt_Click();
    void ext_Click();
    void print1_Click();
    void printall_Click();
    void find_Click();
    // A click in the page, with the link it met as the page view reported it.
    void DHTMLEdit1_onclick(const pageview::Click &click);

    // Beside the buttons: the pages shown before and after (also the mouse's back and forward
    // buttons), zoom (also Ctrl+wheel), and find in the whole book. Each shows a page through the
    // show page sequence and sets curPage.
    void goBack();
    void goForward();
    void zoomIn();
    void zoomOut();
    void zoomReset();
    void findInBook();
    // The window fills the screen without its frame, or leaves that.
    void toggleFullScreen();
    // Shows page i, as a search result: at the first place where query stands, highlighted.
    void showFoundPage(qsizetype i, const QString &query, bool matchCase);
    // Finding the way in a big book: the side panel with the contents, go to a page by its number,
    // title or name, and back to where the reader left the book at the last run (also a click on the
    // band while it offers it).
    void toggleContents();
    void goToPageByName();
    void continueReading();

    // Every command beside the described window as an action of the window with its keys: the
    // buttons' commands and those above. The band's menu and the side panel show them.
    void makeActions();
    QAction *addCommand(const char *name, const QString &text, const QList<QKeySequence> &keys,
                        std::function<void()> command);
    // The action whose keys hold pressed, among those enabled; nullptr when none does.
    QAction *actionFor(QKeyCombination pressed) const;

    void Form_Load();
    void loadToolbarPictures();
    void layOut();
    void loadBook();
    void indexPages();
    // The show page sequence for page i: cut its record, take its HTML into pageHtml, point its
    // pictures into the images folder, and put header followed by pageHtml into the page view. The
    // click handler switches setting 26 off before taking the HTML and on before putting it
    // (aroundRewriting); print all puts a header in front.
    void showPage(qsizetype i, bool aroundRewriting = false, const QString &header = {});
    void connectHandlers();
    // Runs a handler of the user's actions, after the one that runs, if any.
    void handle(std::function<void()> handler);
    void handle(void (Form1::*handler)())
    {
        handle([this, handler] { (this->*handler)(); });
    }
    // What comes beside the described window once it is shown: keys, the band, input of the page view.
    void setUpReading();
    // Shows page i and makes it the current page, in the described order: shown first, then curPage.
    void goToPage(qsizetype i, bool aroundRewriting = false);
    // Page i was shown as the current page by a command (not by Back or Forward): remember it.
    void shown(qsizetype i);
    void showHistoryEntry(const PageHistory::Entry &entry);
    // Follows an address within the book, relative to the application folder, as a browser would:
    // a page by its name (shown with the address's query and place, for its scripts), the page shown
    // when the path is empty, or a file of the folder that is no page: shown, or, on the reader's
    // click, handed to the user's program for its type. False when it names none.
    bool followInBook(const QUrl &target, const pageview::Click *click = nullptr);
    // Whether url is the link shown under the pointer when the mouse button of a click went down.
    bool wasShownAtPress(const QUrl &url, const std::optional<QString> &shown) const;
    // Follows the link a click met (empty: none), as the page view reported it with the link that
    // was under the pointer when the button went down.
    void followClick(const pageview::Click &click);
    // The window's own text colour, black, is the window's alone: the band and the panels take the
    // system's, so that they read in light and dark themes alike.
    void followSystemPalette();
    // Gives the keyboard focus back to the page, where its keys scroll it, as a panel, field or dialog
    // closes.
    void focusPage();
    // Hands a web or mail link to the user's programs, and says so when none takes it.
    void openLink(const QUrl &url);
    void zoomTo(double factor);
    // The band below the page view: "page k of N" and the name of the current page.
    void updateBand();
    QString placeText() const;
    // Once the window system tells the window's frame, makes room for it, so that the window with its
    // frame is the size of the screen as laid out at load; the page view keeps its size.
    void fitFrameToScreen();
    void showBandMenu(const QPoint &at);
    // The side panel beside the page view, made the first time it is asked for; the page view narrows
    // while it is shown.
    void makeSidePanel();
    // Shows tab, a tab of the panel made already.
    void showSidePanel(QWidget *tab);
    void hideSidePanel();
    // The page titles, read on a worker thread the first time the contents, go to page or find in the
    // whole book needs them; each gets them once read.
    void readContents();
    void contentsRead();
    // Where the reader left the book at the last run: looked up on a worker thread once the first page
    // is shown, and offered on the band. Remembered when the window closes.
    void findPlace();
    void rememberPlace();
    QString bookPath() const;

    // The page names, read on a worker thread once the first page is shown, so that neither the
    // start nor a link click waits for a large book's names: a click that comes before they are
    // read is followed once they are.
    QFutureWatcher<std::shared_ptr<const book::PageIndex>> pageIndex_;
    // Clicks on links that came before the page names were read, in order, each with its link.
    std::deque<pageview::Click> clicksWaiting_;
    ReaderServices services_;
    bool loaded_ = false;
    PageHistory history_;
    // The page view shows the page of history_'s current entry (not, say, a page print all left).
    bool showsHistoryEntry_ = false;
    // The query and place the page about to be shown was reached with, for its history entry.
    std::pair<QString, QString> shownAddress_;
    // A file of the folder stands in place of the current page: Back shows that page again.
    bool showsFile_ = false;
    QLabel *band_ = nullptr;
    // Tells a screen reader each page shown, as the band says it.
    Announcement *announcement_ = nullptr;
    // The actions the window uses beside its keys: the mouse's buttons, the wheel, the band, the
    // side panel's tabs. Esc leaves full screen only while the window fills it.
    QAction *back_ = nullptr;
    QAction *forward_ = nullptr;
    QAction *zoomIn_ = nullptr;
    QAction *zoomOut_ = nullptr;
    QAction *findInBook_ = nullptr;
    QAction *showContents_ = nullptr;
    QAction *goToPage_ = nullptr;
    QAction *continueReading_ = nullptr;
    QAction *leaveFullScreen_ = nullptr;
    // The web or mail link under the pointer, which the band shows as long as it is there.
    QString hoveredLink_;
    BookSearchBar *bookSearch_ = nullptr;
    QTabWidget *sidePanel_ = nullptr;
    ContentsView *contentsView_ = nullptr;
    GoToPageField *goTo_ = nullptr;
    QFutureWatcher<std::shared_ptr<const book::Contents>> contents_;
    bool contentsAsked_ = false;
    // The book's title as its file holds it, and the places left in books.
    QString title_;
    std::shared_ptr<ReadingPlaces> places_;
    struct FoundPlace {
        QByteArray fingerprint;
        std::optional<ReadingPlaces::Place> place;
        QString title; // of the place's page
    };
    QFutureWatcher<FoundPlace> placeFound_;
    // Its thread reads the whole book for its fingerprint, which nobody waits for: at the lowest
    // priority, it leaves the processors to the first page.
    QThreadPool placePool_{this};
    QByteArray fingerprint_; // of the book loaded, once known
    // The place offered on the band until the reader moves, and its page's title.
    std::optional<ReadingPlaces::Place> offer_;
    QString offerTitle_;
    bool moved_ = false;
    // What the band says beside the page until the next command, such as a page number that go to page
    // can't show.
    QString bandNote_;
    bool placeRemembered_ = false;
    // The page view's distance from the window's right and bottom edges at load, in pixels.
    int rightMargin_ = 0;
    int bottomMargin_ = 0;
    int rightMarginAtLoad_ = 0;
    int bottomMarginAtLoad_ = 0;
    // What a smooth mouse wheel turned with Ctrl held, short of a whole notch.
    int wheelPending_ = 0;
    bool reading_ = false;
    // The window's size as laid out at load (the screen's), and whether its frame was given room.
    QSize sizeAtLoad_;
    bool frameFitted_ = false;
    bool areaFitted_ = false;
    // Print all is running: the window takes no input, and closing it waits for the page printing.
    bool printingAll_ = false;
    bool closeAfterPrinting_ = false;
    bool handling_ = false;
    std::deque<std::function<void()>> waiting_;
};

} // namespace reader
