#include "contentsview.h"

#include "isolated.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace reader {
namespace {

constexpr int kPageRole = Qt::UserRole + 1;

} // namespace

ContentsView::ContentsView(QWidget *parent)
    : QWidget(parent), field_(new QLineEdit(this)), tree_(new QTreeView(this)), model_(new QStandardItemModel(this)),
      kept_(new QListView(this)), keptModel_(new QStringListModel(this))
{
    setObjectName(QStringLiteral("contents"));
    field_->setObjectName(QStringLiteral("contentsFilter"));
    field_->setPlaceholderText(tr("Filter by title or name"));
    field_->setAccessibleName(tr("Filter the contents"));
    field_->setClearButtonEnabled(true);
    tree_->setObjectName(QStringLiteral("contentsTree"));
    tree_->setAccessibleName(tr("Contents"));
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->header()->setStretchLastSection(true);
    kept_->setObjectName(QStringLiteral("contentsFound"));
    kept_->setAccessibleName(tr("Pages whose title or name holds the words"));
    kept_->setModel(keptModel_);
    kept_->setUniformItemSizes(true);
    kept_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    kept_->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field_);
    layout->addWidget(tree_, 1);
    layout->addWidget(kept_, 1);
    setFocusProxy(field_);

    connect(field_, &QLineEdit::textChanged, this, &ContentsView::applyFilter);
    connect(field_, &QLineEdit::returnPressed, this, &ContentsView::chooseCurrent);
    // A folder opens and closes by itself; a page is chosen by a click, a double click or Enter.
    tree_->setExpandsOnDoubleClick(false);
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(tree_), static_cast<QAbstractItemView *>(kept_)}) {
        connect(view, &QAbstractItemView::activated, this, &ContentsView::chooseCurrent);
        connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
            if (index.data(kPageRole).isValid() || !kept_->isHidden())
                chooseCurrent();
        });
    }
    field_->installEventFilter(this);
    model_->appendRow(new QStandardItem(tr("Reading the titles of the pages\u2026")));
}

void ContentsView::setContents(std::shared_ptr<const book::Contents> contents)
{
    contents_ = std::move(contents);
    filter_.reset();
    // The tree is built detached from the view, which would otherwise follow every row added.
    tree_->setModel(nullptr);
    model_->clear();
    // A folder comes where its first page does, so that the tree keeps the book's order.
    std::vector<QStandardItem *> folders(contents_->folders().size(), nullptr);
    const auto folderItem = [&](int f, const auto &self) -> QStandardItem * {
        if (f < 0)
            return model_->invisibleRootItem();
        QStandardItem *&item = folders[size_t(f)];
        if (!item) {
            const book::Contents::Folder &folder = contents_->folders()[size_t(f)];
            item = new QStandardItem(isolated(folder.name));
            item->setSelectable(false);
            self(folder.parent, self)->appendRow(item);
        }
        return item;
    };
    itemOfEntry_.clear();
    itemOfEntry_.reserve(contents_->entries().size());
    for (const book::Contents::Entry &entry : contents_->entries()) {
        // Item views show their text as it stands: a title is never read as markup.
        auto *item = new QStandardItem(isolated(entry.title));
        item->setData(entry.page, kPageRole);
        // A tool tip would guess whether its text is markup: the name is escaped within markup of our own.
        item->setToolTip(QStringLiteral("<p style=\"white-space: pre\">") + isolated(entry.name).toHtmlEscaped() +
                         QStringLiteral("</p>"));
        folderItem(entry.folder, folderItem)->appendRow(item);
        itemOfEntry_.push_back(item);
    }
    tree_->setModel(model_);
    if (!field_->text().trimmed().isEmpty())
        applyFilter();
    showPage(page_);
}

void ContentsView::showPage(qsizetype page)
{
    page_ = page;
    // A list's current row is its focus to assistive technology, even hidden behind another tab:
    // it follows the page once the contents are shown.
    if (!contents_ || !isVisible())
        return;
    if (!kept_->isHidden()) {
        const auto row = std::find(keptPages_.begin(), keptPages_.end(), page);
        if (row == keptPages_.end()) {
            kept_->clearSelection();
            return;
        }
        const QModelIndex index = keptModel_->index(int(row - keptPages_.begin()));
        kept_->setCurrentIndex(index);
        kept_->scrollTo(index);
        return;
    }
    const qsizetype entry = contents_->entryOf(page);
    if (entry < 0) {
        tree_->clearSelection();
        return;
    }
    const QModelIndex index = itemOfEntry_[size_t(entry)]->index();
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
}

void ContentsView::focusFilter()
{
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void ContentsView::applyFilter()
{
    const QString query = field_->text();
    const bool filtering = !query.trimmed().isEmpty() && contents_;
    tree_->setVisible(!filtering);
    kept_->setVisible(filtering);
    if (!filtering) {
        showPage(page_);
        return;
    }
    if (!filter_)
        filter_ = std::make_unique<book::ContentsFilter>(*contents_);
    const std::vector<qsizetype> kept = filter_->filter(query);
    QStringList titles;
    titles.reserve(qsizetype(kept.size()));
    keptPages_.clear();
    keptPages_.reserve(kept.size());
    for (const qsizetype entry : kept) {
        const book::Contents::Entry &e = contents_->entries()[size_t(entry)];
        titles << isolated(e.title);
        keptPages_.push_back(e.page);
    }
    keptModel_->setStringList(titles);
    if (!keptPages_.empty())
        kept_->setCurrentIndex(keptModel_->index(0));
}

void ContentsView::chooseCurrent()
{
    QModelIndex index;
    if (!kept_->isHidden()) {
        index = kept_->currentIndex();
        if (index.isValid() && size_t(index.row()) < keptPages_.size())
            emit pageChosen(keptPages_[size_t(index.row())]);
        return;
    }
    index = tree_->currentIndex();
    if (!index.isValid())
        return;
    const QVariant page = index.data(kPageRole);
    if (page.isValid())
        emit pageChosen(page.value<qsizetype>());
    else
        tree_->setExpanded(index, !tree_->isExpanded(index)); // a folder opens or closes
}

void ContentsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showPage(page_);
}

bool ContentsView::eventFilter(QObject *watched, QEvent *event)
{
    // Down and Up in the field move in the list or the tree, as in a search field.
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up || key->key() == Qt::Key_PageDown ||
            key->key() == Qt::Key_PageUp) {
            QAbstractItemView *view = !kept_->isHidden() ? static_cast<QAbstractItemView *>(kept_) : tree_;
            QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers());
            QCoreApplication::sendEvent(view, &copy);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace reader
