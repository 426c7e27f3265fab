#pragma once

#include <book/contents.h>
#include <book/pagetable.h>

#include <QFutureWatcher>
#include <QTabWidget>

#include <memory>

class QAction;

namespace reader {

class BookSearchBar;
class ContentsView;

// The page titles, read on a worker thread the first time the contents, go to page or find in the
// whole book needs them, never at start; each gets them once read.
class ContentsReader final : public QObject {
    Q_OBJECT

public:
    ContentsReader(book::PageTable pages, QObject *parent);
    // Starts reading the first time.
    void request();
    // The contents once read, else null.
    std::shared_ptr<const book::Contents> contents() const;

signals:
    void read(const std::shared_ptr<const book::Contents> &contents);

private:
    book::PageTable pages_;
    QFutureWatcher<std::shared_ptr<const book::Contents>> contents_;
    bool asked_ = false;
};

// The side panel beside the page view: the contents, and the pages found in the whole book, each in a
// tab. Made the first time it is asked for, hidden until then.
class SidePanel final : public QTabWidget {
    Q_OBJECT

public:
    // The tabs' tool tips name the commands that open them, with their keys.
    SidePanel(const book::PageTable &pages, const QAction *contents, const QAction *findInBook, QWidget *parent);

    void setContents(const std::shared_ptr<const book::Contents> &contents);
    // Selects the current page in the contents.
    void showPage(qsizetype page);
    // Shows the contents with the focus on its filter, or hides the panel when they are shown.
    void toggleContents();
    // Shows the pages found, empty, or text searched for already.
    void findInBook(const QString &text = {}, bool matchCase = false);
    // The width the panel takes of a window width wide, with room pixels beside the page at most.
    int widthFor(int width, int room) const;

signals:
    void pageChosen(qsizetype page);
    void foundPageChosen(qsizetype page, const QString &query, bool matchCase);
    void findInPage(const QString &text, bool matchCase);
    void shownOrHidden(bool shown);
    // The panel is about to hide: the focus goes back to the page first.
    void closing();
    void contentsWanted();

private:
    void showTab(QWidget *tab);
    void close();

    ContentsView *contentsView_;
    BookSearchBar *bookSearch_;
};

} // namespace reader
