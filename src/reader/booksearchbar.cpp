#include "booksearchbar.h"

#include "isolated.h"
#include "markedtextdelegate.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace reader {
namespace {

constexpr int kMargin = 8;
constexpr int kPageRole = Qt::UserRole;

// Every place where query stands in text[from, from + length), as marks for MarkedTextDelegate.
void markQuery(QList<QPoint> &marks, const QString &text, qsizetype from, qsizetype length, const QString &query,
               Qt::CaseSensitivity cs)
{
    if (query.isEmpty())
        return;
    const QStringView part = QStringView(text).sliced(from, length);
    for (qsizetype at = part.indexOf(query, 0, cs); at >= 0; at = part.indexOf(query, at + query.size(), cs))
        marks.append(QPoint(int(from + at), int(query.size())));
}

// The list of the pages found. Qt tells assistive technology of a list's current row as its focus,
// even while the list is hidden, and a screen reader then reads that row instead of the field that
// has the focus: a hidden list tells nothing.
class ResultList final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override
    {
        if (isVisible())
            QListWidget::currentChanged(current, previous);
        else // past QListView's own, which tells assistive technology
            QAbstractItemView::currentChanged(current, previous); // NOLINT(bugprone-parent-virtual-call)
    }
};

} // namespace

BookSearchBar::BookSearchBar(QWidget *parent)
    : QWidget(parent), text_(new QLineEdit(this)), matchCase_(new QCheckBox(tr("Match case"), this)),
      wholeBook_(new QCheckBox(tr("Whole book"), this)), status_(new QLabel(this)), results_(new ResultList(this))
{
    setObjectName(QStringLiteral("bookSearch"));
    text_->setObjectName(QStringLiteral("bookSearchText"));
    text_->setPlaceholderText(tr("Find in the whole book"));
    text_->setAccessibleName(tr("Find in the whole book"));
    text_->setClearButtonEnabled(true);
    // The field's clear button is a tool button of its own, which assistive technology reaches too.
    for (QToolButton *clear : text_->findChildren<QToolButton *>())
        clear->setAccessibleName(tr("Clear"));
    matchCase_->setObjectName(QStringLiteral("bookSearchMatchCase"));
    wholeBook_->setObjectName(QStringLiteral("bookSearchWholeBook"));
    wholeBook_->setChecked(true);
    status_->setObjectName(QStringLiteral("bookSearchStatus"));
    results_->setObjectName(QStringLiteral("bookSearchResults"));
    results_->setAccessibleName(tr("Pages that hold the text"));
    results_->setWordWrap(true);
    results_->setAlternatingRowColors(true);
    results_->setResizeMode(QListView::Adjust);
    results_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Each page found is a wrapped text to measure: laid out a batch at a time, a list of many
    // thousands leaves the window free between batches.
    results_->setLayoutMode(QListView::Batched);
    results_->setBatchSize(100);
    results_->setItemDelegate(new MarkedTextDelegate(results_));
    auto *close = new QToolButton(this);
    close->setText(tr("Close"));
    close->setAccessibleName(tr("Close the side panel"));
    connect(close, &QToolButton::clicked, this, &BookSearchBar::dismiss);
    layOut(close);
    connectParts();
    text_->installEventFilter(this);
    results_->installEventFilter(this);
    setFocusProxy(text_);
}

void BookSearchBar::layOut(QWidget *close)
{
    // In a narrow panel: the field and Close, then the two switches, one under the other, as a
    // translation may make them long.
    auto *field = new QHBoxLayout;
    field->addWidget(text_, 1);
    field->addWidget(close);
    auto *switches = new QVBoxLayout;
    switches->addWidget(matchCase_);
    switches->addWidget(wholeBook_);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin / 2, kMargin / 2, kMargin / 2, kMargin / 2);
    layout->addLayout(field);
    layout->addLayout(switches);
    layout->addWidget(status_);
    layout->addWidget(results_, 1);
}

void BookSearchBar::connectParts()
{
    connect(text_, &QLineEdit::returnPressed, this, [this] {
        // The list holds this query's pages already: Enter shows the one chosen.
        if (text_->text() == searched_ && matchCase_->isChecked() == searchedCase_ && results_->count() > 0)
            showChosen();
        else
            search();
    });
    connect(matchCase_, &QCheckBox::toggled, this, [this] {
        if (!searched_.isEmpty())
            search();
    });
    connect(wholeBook_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            return;
        const QString text = text_->text();
        dismiss();
        emit findInPage(text, matchCase_->isChecked());
    });
    connect(results_, &QListWidget::itemActivated, this, &BookSearchBar::showChosen);
    connect(results_, &QListWidget::itemClicked, this, [this] {
        chosenByReader_ = true;
        showChosen();
    });
    connect(&search_, &book::BookSearch::found, this, &BookSearchBar::addMatch);
    connect(&search_, &book::BookSearch::finished, this, [this] {
        status_->setText(matches_.empty() ? tr("Not found in the book")
                                          : tr("%n page(s) hold it", nullptr, int(matches_.size())));
    });
}

void BookSearchBar::open(const QString &text, bool matchCase)
{
    wholeBook_->setChecked(true);
    text_->setFocus(Qt::OtherFocusReason);
    if (!text.isEmpty()) {
        text_->setText(text);
        matchCase_->setChecked(matchCase);
        search();
    }
    text_->selectAll();
}

void BookSearchBar::setContents(std::shared_ptr<const book::Contents> contents)
{
    contents_ = std::move(contents);
    if (matches_.empty())
        return;
    // The pages found so far, listed anew in their groups.
    const QListWidgetItem *current = results_->currentItem();
    chosenPage_ = current ? current->data(kPageRole) : QVariant();
    results_->clear();
    inTitles_ = inText_ = 0;
    listed_ = 0;
    listSome();
}

void BookSearchBar::search()
{
    searched_ = text_->text();
    searchedCase_ = matchCase_->isChecked();
    results_->clear();
    matches_.clear();
    listed_ = 0;
    chosenPage_ = QVariant();
    inTitles_ = inText_ = 0;
    chosenByReader_ = false;
    status_->setText(searched_.trimmed().isEmpty() ? QString() : tr("Searching\u2026"));
    search_.start(pages_, searched_, searchedCase_ ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void BookSearchBar::addMatch(const book::PageMatch &match)
{
    matches_.push_back(match);
    if (!listing_)
        listSome();
}

void BookSearchBar::listSome()
{
    constexpr qint64 kSliceMs = 8;
    listing_ = false;
    QElapsedTimer slice;
    slice.start();
    while (listed_ < matches_.size()) {
        const book::PageMatch &match = matches_[listed_++];
        list(match);
        // The page chosen before stays chosen once it is listed again.
        if (chosenPage_.isValid() && chosenPage_.value<qsizetype>() == match.page) {
            for (int row = 0; row < results_->count(); ++row) {
                if (results_->item(row)->data(kPageRole) == chosenPage_)
                    results_->setCurrentRow(row);
            }
            chosenPage_ = QVariant();
        }
        if (listed_ < matches_.size() && slice.elapsed() >= kSliceMs) {
            listing_ = true;
            QTimer::singleShot(0, this, &BookSearchBar::listSome);
            return;
        }
    }
}

void BookSearchBar::list(const book::PageMatch &match)
{
    const Qt::CaseSensitivity cs = searchedCase_ ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const QString query = searched_.simplified();
    QString title = match.name.trimmed();
    bool byTitle = false;
    if (contents_) {
        if (const qsizetype entry = contents_->entryOf(match.page); entry >= 0) {
            title = contents_->entries()[size_t(entry)].title;
            byTitle = title.contains(query, cs);
        }
    }
    title = title.isEmpty() ? tr("(no name)") : isolated(title);

    const QString head = tr("page %1 \u00b7 ").arg(match.page + 1);
    const QString excerpt = isolated(QString((match.cutBefore ? QStringLiteral("\u2026") : QString()) + match.excerpt +
                                             (match.cutAfter ? QStringLiteral("\u2026") : QString())));
    const QString text = head + title + tr(" \u00b7 %n time(s)", nullptr, int(match.hits)) + u'\n' + excerpt;
    QList<QPoint> marks;
    markQuery(marks, text, head.size(), title.size(), query, cs);
    markQuery(marks, text, text.size() - excerpt.size(), excerpt.size(), query, cs);
    auto *item = new QListWidgetItem(text);
    item->setData(kPageRole, match.page);
    item->setData(MarkedTextDelegate::kMarksRole, QVariant::fromValue(marks));

    int row;
    if (byTitle) {
        if (inTitles_++ == 0)
            results_->insertItem(0, new QListWidgetItem);
        row = int(inTitles_);
    } else {
        if (inText_++ == 0)
            results_->addItem(new QListWidgetItem);
        row = results_->count();
    }
    results_->insertItem(row, item);
    updateLabels();
    // Until the reader chooses, the page chosen is the first.
    if (!chosenByReader_)
        results_->setCurrentRow(1);
}

void BookSearchBar::updateLabels()
{
    const auto label = [this](int row, const QString &text) {
        QListWidgetItem *item = results_->item(row);
        item->setText(text);
        item->setFlags(Qt::NoItemFlags);
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    };
    if (inTitles_ > 0)
        label(0, tr("%n page(s) with it in the title", nullptr, int(inTitles_)));
    if (inText_ > 0)
        label(inTitles_ > 0 ? int(inTitles_) + 1 : 0, tr("%n page(s) with it in the text", nullptr, int(inText_)));
}

void BookSearchBar::step(int direction)
{
    for (int row = results_->currentRow() + direction; row >= 0 && row < results_->count(); row += direction) {
        if (results_->item(row)->data(kPageRole).isValid()) {
            results_->setCurrentRow(row);
            chosenByReader_ = true;
            return;
        }
    }
}

void BookSearchBar::showChosen()
{
    const QListWidgetItem *item = results_->currentItem();
    if (!item || !item->data(kPageRole).isValid())
        return;
    emit pageChosen(item->data(kPageRole).value<qsizetype>(), searched_, searchedCase_);
}

void BookSearchBar::dismiss()
{
    search_.cancel();
    emit closed();
}

bool BookSearchBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Escape) {
        dismiss();
        return true;
    }
    // Down and Up choose a page of the list while the text field keeps the focus.
    if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && results_->count() > 0) {
        step(key->key() == Qt::Key_Down ? 1 : -1);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace reader
