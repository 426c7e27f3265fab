#include "gotopagefield.h"

#include "isolated.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QStandardItemModel>

#include <tuple>

namespace reader {
namespace {

constexpr int kPageRole = Qt::UserRole + 1;
constexpr int kKeyRole = Qt::UserRole + 2; // the title or name that the typed text begins

} // namespace

GoToPageField::GoToPageField(QWidget *parent)
    : QLineEdit(parent), completer_(new QCompleter(this)), model_(new QStandardItemModel(this))
{
    setObjectName(QStringLiteral("goToPage"));
    setAccessibleName(tr("Go to page"));
    setPlaceholderText(tr("Go to page: a number, or the beginning of a title or name"));
    setClearButtonEnabled(true);
    completer_->setModel(model_);
    completer_->setCompletionRole(kKeyRole);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setFilterMode(Qt::MatchStartsWith);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setMaxVisibleItems(12);
    completer_->popup()->setAccessibleName(tr("Pages proposed"));
    setCompleter(completer_);
    connect(completer_, qOverload<const QModelIndex &>(&QCompleter::activated), this, [this](const QModelIndex &index) {
        const auto *proxy = qobject_cast<const QAbstractProxyModel *>(index.model());
        const QModelIndex source = proxy ? proxy->mapToSource(index) : index;
        const QVariant page = source.data(kPageRole);
        if (page.isValid()) {
            hide();
            emit pageChosen(page.value<qsizetype>());
        }
    });
    hide();
}

void GoToPageField::setContents(const std::shared_ptr<const book::Contents> &contents)
{
    model_->clear();
    // Added in one step: row by row, the completer would filter its proposals anew for each of a big
    // book's tens of thousands.
    QList<QStandardItem *> items;
    for (const book::Contents::Entry &entry : contents->entries()) {
        // The title and the name each propose the page; the list says which page (plain text, as item
        // views show it).
        const QString shown = tr("%1   \u2014   page %2").arg(isolated(entry.title)).arg(entry.page + 1);
        const auto add = [&](const QString &key, const QString &text) {
            auto *item = new QStandardItem(text);
            item->setData(key, kKeyRole);
            item->setData(entry.page, kPageRole);
            items << item;
        };
        add(entry.title, shown);
        if (entry.name != entry.title)
            add(entry.name, isolated(entry.name) + QStringLiteral("   \u2014   ") + shown);
    }
    model_->invisibleRootItem()->appendRows(items);
}

void GoToPageField::open(const QRect &area)
{
    setGeometry(area);
    show();
    raise();
    // The focus first, and not as by a shortcut, which would select the text: a screen reader drops
    // a field whose caret moves (as clearing it moves it) before it has the focus.
    setFocus(Qt::OtherFocusReason);
    clear();
}

qsizetype GoToPageField::pageOf(const QString &text) const
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return -1;
    bool isNumber = false;
    const qlonglong number = typed.toLongLong(&isNumber);
    if (isNumber)
        return number >= 1 && number <= pageCount_ ? qsizetype(number - 1) : -1;
    // "HashMap" is the title "HashMap in std::collections" before the name "hashmap_internals": the
    // better fit has the lower rank, and among equals the shorter key, then the earlier page.
    const auto rank = [&](const QString &key) {
        if (key.size() == typed.size())
            return 0;
        const QChar next = key.at(typed.size());
        const bool wordEnds = !next.isLetterOrNumber() && next != u'_';
        const bool sameCase = key.startsWith(typed, Qt::CaseSensitive);
        return wordEnds ? (sameCase ? 1 : 2) : (sameCase ? 3 : 4);
    };
    qsizetype best = -1;
    std::tuple<int, qsizetype, qsizetype> bestFit;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const QStandardItem *item = model_->item(row);
        const QString key = item->data(kKeyRole).toString();
        if (!key.startsWith(typed, Qt::CaseInsensitive))
            continue;
        const auto page = item->data(kPageRole).value<qsizetype>();
        const std::tuple<int, qsizetype, qsizetype> fit{rank(key), key.size(), page};
        if (best < 0 || fit < bestFit) {
            best = page;
            bestFit = fit;
        }
    }
    return best;
}

void GoToPageField::choose()
{
    // The page proposed and chosen in the list, else the one the text stands for. The field takes
    // Enter before the list's completer could, so the choice in the list is read here.
    QAbstractItemView *popup = completer_->popup();
    if (popup->isVisible() && popup->currentIndex().isValid()) {
        const QModelIndex chosen = popup->currentIndex();
        const auto *proxy = qobject_cast<const QAbstractProxyModel *>(chosen.model());
        const QVariant page = (proxy ? proxy->mapToSource(chosen) : chosen).data(kPageRole);
        if (page.isValid()) {
            popup->hide();
            hide();
            emit pageChosen(page.value<qsizetype>());
        }
        return;
    }
    const qsizetype page = pageOf(text());
    if (page >= 0) {
        hide();
        emit pageChosen(page);
        return;
    }
    bool isNumber = false;
    const qlonglong number = text().trimmed().toLongLong(&isNumber);
    if (isNumber) {
        // Said on the band, which the field covers.
        hide();
        emit noSuchPage(number);
    }
}

void GoToPageField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        choose();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void GoToPageField::hideEvent(QHideEvent *event)
{
    QLineEdit::hideEvent(event);
    if (QApplication::focusWidget() == this)
        emit closedWithFocus();
}

void GoToPageField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // The list of pages proposed takes the focus while it is open; anything else dismisses the field.
    if (!completer_->popup()->isVisible())
        hide();
}

} // namespace reader
