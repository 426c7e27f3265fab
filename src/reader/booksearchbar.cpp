#include "booksearchbar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace reader {
namespace {

constexpr int kMargin = 8;
constexpr int kPageRole = Qt::UserRole;

} // namespace

BookSearchBar::BookSearchBar(QWidget *parent)
    : QFrame(parent), text_(new QLineEdit(this)), matchCase_(new QCheckBox(tr("Match case"), this)),
      wholeBook_(new QCheckBox(tr("Whole book"), this)), status_(new QLabel(this)), results_(new QListWidget(this))
{
    setObjectName(QStringLiteral("bookSearch"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
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
    results_->setAccessibleName(tr("Pages found"));
    results_->setWordWrap(true);
    results_->setAlternatingRowColors(true);
    auto *close = new QToolButton(this);
    close->setText(tr("Close"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(text_, 1);
    bar->addWidget(matchCase_);
    bar->addWidget(wholeBook_);
    bar->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin / 2, kMargin / 2, kMargin / 2, kMargin / 2);
    layout->addLayout(bar);
    layout->addWidget(status_);
    layout->addWidget(results_, 1);

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
    connect(close, &QToolButton::clicked, this, &BookSearchBar::dismiss);
    connect(results_, &QListWidget::itemActivated, this, &BookSearchBar::showChosen);
    connect(results_, &QListWidget::itemClicked, this, &BookSearchBar::showChosen);
    connect(&search_, &book::BookSearch::found, this, &BookSearchBar::addMatch);
    connect(&search_, &book::BookSearch::finished, this, [this] {
        status_->setText(results_->count() == 0 ? tr("Not found in the book")
                                                : tr("%n page(s) hold it", nullptr, results_->count()));
    });
    text_->installEventFilter(this);
    results_->installEventFilter(this);
    hide();
}

void BookSearchBar::open(const QString &text, bool matchCase)
{
    wholeBook_->setChecked(true);
    show();
    raise();
    text_->setFocus(Qt::OtherFocusReason);
    if (!text.isEmpty()) {
        text_->setText(text);
        matchCase_->setChecked(matchCase);
        search();
    }
    text_->selectAll();
}

void BookSearchBar::placeOver(const QRect &area)
{
    const int width = qMin(qMax(sizeHint().width(), area.width() / 2), qMax(0, area.width() - 2 * kMargin));
    const int height = qMax(0, qMin(area.height() * 2 / 3, area.height() - 2 * kMargin));
    setGeometry(area.right() - width - kMargin, area.top() + kMargin, width, height);
}

void BookSearchBar::search()
{
    searched_ = text_->text();
    searchedCase_ = matchCase_->isChecked();
    results_->clear();
    status_->setText(searched_.trimmed().isEmpty() ? QString() : tr("Searching\u2026"));
    search_.start(pages_, searched_, searchedCase_ ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void BookSearchBar::addMatch(const book::PageMatch &match)
{
    const QString name = match.name.trimmed();
    auto *item = new QListWidgetItem(tr("page %1 \u00b7 %2 \u00b7 %n time(s)", nullptr, int(match.hits))
                                         .arg(match.page + 1)
                                         .arg(name.isEmpty() ? tr("(no name)") : name) +
                                     u'\n' + match.excerpt);
    item->setData(kPageRole, match.page);
    results_->addItem(item);
    if (results_->count() == 1)
        results_->setCurrentRow(0);
}

void BookSearchBar::showChosen()
{
    const QListWidgetItem *item = results_->currentItem();
    if (!item)
        return;
    emit pageChosen(item->data(kPageRole).value<qsizetype>(), searched_, searchedCase_);
}

void BookSearchBar::dismiss()
{
    search_.cancel();
    hide();
    if (parentWidget())
        parentWidget()->setFocus(Qt::OtherFocusReason);
}

bool BookSearchBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Escape) {
        dismiss();
        return true;
    }
    // Down and Up choose a page of the list while the text field keeps the focus.
    if (watched == text_ && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && results_->count() > 0) {
        const int row = results_->currentRow() + (key->key() == Qt::Key_Down ? 1 : -1);
        results_->setCurrentRow(qBound(0, row, results_->count() - 1));
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace reader
