#pragma once

#include <book/booksearch.h>

#include <QFrame>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace reader {

// Find in the whole book: a bar with the text to find, "Match case" and "Whole book", over a list
// of the pages that hold it (page number, name, how often, a few words around the first), which
// fills while the search runs on a worker thread. In the text field, Enter starts the search and,
// once pages are listed, shows the one chosen (the first, unless Down and Up chose another); Enter or
// a click on a page shows it too. Escape or Close hides the bar; switching "Whole book" off goes
// back to finding in the page shown.
class BookSearchBar final : public QFrame {
    Q_OBJECT

public:
    explicit BookSearchBar(QWidget *parent);

    // Shows the bar with text to find (the text already there if empty), ready to type; searches
    // at once when text is given.
    void open(const QString &text, bool matchCase);
    // Places the bar over the right part of area, a rectangle of its parent.
    void placeOver(const QRect &area);
    // The book to search.
    void setPages(const book::PageTable &pages) { pages_ = pages; }

signals:
    // The reader chose a page of the list: show page, where text holds the query.
    void pageChosen(qsizetype page, const QString &query, bool matchCase);
    // "Whole book" was switched off: find text in the page shown instead.
    void findInPage(const QString &text, bool matchCase);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search();
    void showChosen();
    void addMatch(const book::PageMatch &match);
    void dismiss();

    book::PageTable pages_;
    book::BookSearch search_;
    QLineEdit *text_;
    QCheckBox *matchCase_;
    QCheckBox *wholeBook_;
    QLabel *status_;
    QListWidget *results_;
    QString searched_; // the query the list holds the pages of, with its letter case setting
    bool searchedCase_ = false;
};

} // namespace reader
