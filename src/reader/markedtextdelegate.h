#pragma once

#include <QPoint>
#include <QStyledItemDelegate>

namespace reader {

// Draws an item's text as plain text, wrapped at words, with ranges of it marked as found words are:
// each a QPoint (x the start, y the length, in UTF-16 units) in the list that kMarksRole holds. Line
// breaks in the text begin new lines. No part of the text is ever read as markup.
class MarkedTextDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kMarksRole = Qt::UserRole + 10;

    explicit MarkedTextDelegate(QAbstractItemView *view);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QAbstractItemView *view_;
};

} // namespace reader
