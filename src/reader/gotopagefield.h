#pragma once

#include <book/contents.h>

#include <QLineEdit>

#include <memory>
#include <vector>

class QCompleter;
class QStandardItemModel;

namespace reader {

// Go to page: a field that takes a page number, as the band counts them, or the beginning of a page's
// title or name, proposing the pages that begin so as the reader types. Enter chooses the number, the
// proposal that Down and Up chose, or else the page that fits the text best (see pageOf); Escape, or
// leaving the field, dismisses it.
class GoToPageField final : public QLineEdit {
    Q_OBJECT

public:
    explicit GoToPageField(QWidget *parent);

    // The number of pages, for numbers; the contents, for titles and names, once read.
    void setPageCount(qsizetype count) { pageCount_ = count; }
    void setContents(const std::shared_ptr<const book::Contents> &contents);
    // Shows the field over area, a rectangle of its parent, empty and with the focus.
    void open(const QRect &area);

    // The page that text stands for: its number, else of the titles and names that begin with it
    // (letter case aside) the one that is the text itself, then one where a whole word ends with it,
    // then one that begins so in the same letter case, then the shortest, then the first in the book;
    // -1 when none.
    qsizetype pageOf(const QString &text) const;

signals:
    void pageChosen(qsizetype page);
    // Enter on a number that is no page of the book.
    void noSuchPage(qlonglong number);
    // The field closed while it had the focus, which goes back to the page rather than to the next button.
    void closedWithFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void choose();

    QCompleter *completer_;
    QStandardItemModel *model_;
    qsizetype pageCount_ = 0;
};

} // namespace reader
