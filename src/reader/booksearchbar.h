#pragma once

#include <book/booksearch.h>
#include <book/contents.h>

#include <QVariant>
#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace reader {

// Find in the whole book, a tab of the side panel: the text to find, "Match case" and "Whole book",
// over a list of the pages that hold it (page number, title, how often, the words around the first
// with the words marked), which fills while the search runs on a worker thread. The pages whose title
// holds the text come first, then the others, each in book order under a label. In the text field,
// Enter starts the search and, once pages are listed, shows the one chosen (the first, unless Down
// and Up chose another); Enter or a click on a page shows it too. Escape or Close asks for the panel
// to close; switching "Whole book" off goes back to finding in the page shown.
class BookSearchBar final : public QWidget {
    Q_OBJECT

public:
    explicit BookSearchBar(QWidget *parent);

    // Takes text to find (else keeps the text there), ready to type; searches at once for text given.
    void open(const QString &text, bool matchCase);
    void setPages(const book::PageTable &pages) { pages_ = pages; }
    // The titles of its pages, once read: until then, the pages found are listed in book order alone.
    void setContents(std::shared_ptr<const book::Contents> contents);

signals:
    // The reader chose a page of the list: show page, where text holds the query.
    void pageChosen(qsizetype page, const QString &query, bool matchCase);
    // "Whole book" was switched off: find text in the page shown instead.
    void findInPage(const QString &text, bool matchCase);
    void closed(); // by Escape or Close

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOut(QWidget *close);
    void connectParts();
    void search();
    void showChosen();
    void addMatch(const book::PageMatch &match);
    // Lists the pages found and not listed yet, a slice of time at a time, so that the window stays
    // free however many there are.
    void listSome();
    // Lists a page found, in its group.
    void list(const book::PageMatch &match);
    void updateLabels();
    // Chooses the page row after (step 1) or before (-1) the current one, over the labels.
    void step(int direction);
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
    std::shared_ptr<const book::Contents> contents_;
    std::vector<book::PageMatch> matches_; // the pages found, in book order
    size_t listed_ = 0;                    // how many of them the list holds
    bool listing_ = false;                 // a slice of listing is on its way
    QVariant chosenPage_;                  // the page chosen before the list was made anew
    // The list's rows: the label of the pages found by title and those, then the label of the others
    // and those; a label only when its group has pages.
    qsizetype inTitles_ = 0;
    qsizetype inText_ = 0;
    bool chosenByReader_ = false; // Down, Up or a click chose a page: new pages don't move the choice
};

} // namespace reader
