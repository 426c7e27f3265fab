#pragma once

#include <book/contents.h>
#include <book/contentsfilter.h>

#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;
class QListView;
class QStandardItem;
class QStandardItemModel;
class QStringListModel;
class QTreeView;

namespace reader {

// The contents tab of the side panel: a field that filters over the book's pages by title, as a tree
// under the folders of their names, or, while the field holds words, as the list of the pages kept.
// The page shown is selected and kept in view. Enter or a click on a page chooses it; Down in the
// field goes to the list.
class ContentsView final : public QWidget {
    Q_OBJECT

public:
    explicit ContentsView(QWidget *parent);

    // The contents to list, once read; before, the view says they are being read.
    void setContents(std::shared_ptr<const book::Contents> contents);
    bool hasContents() const { return contents_ != nullptr; }
    // Selects page, when listed, and scrolls it into view.
    void showPage(qsizetype page);
    // Puts the focus in the filter field, its text selected.
    void focusFilter();

signals:
    void pageChosen(qsizetype page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void applyFilter();
    void chooseCurrent();

    std::shared_ptr<const book::Contents> contents_;
    std::unique_ptr<book::ContentsFilter> filter_; // made the first time the reader types
    QLineEdit *field_;
    QTreeView *tree_;
    QStandardItemModel *model_;
    QListView *kept_;
    QStringListModel *keptModel_;
    std::vector<qsizetype> keptPages_;         // the page of each row of kept_
    std::vector<QStandardItem *> itemOfEntry_; // the tree's item of each entry
    qsizetype page_ = -1;                      // the page shown
};

} // namespace reader
