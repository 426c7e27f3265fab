#include "markedtextdelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace reader {
namespace {

constexpr int kPadding = 3;

// Lays text out in lines of width; gives the height taken.
qreal layOut(QTextLayout &layout, qreal width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

// A line feed begins a new line in a text layout only as the line separator.
QString laidOutText(QString text)
{
    return text.replace(u'\n', QChar::LineSeparator);
}

} // namespace

MarkedTextDelegate::MarkedTextDelegate(QAbstractItemView *view) : QStyledItemDelegate(view), view_(view) {}

void MarkedTextDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = laidOutText(item.text);
    item.text.clear();
    const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    // Background, selection and focus as the style draws them; the text drawn here.
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    const QRect area = option.rect.adjusted(kPadding, kPadding, -kPadding, -kPadding);
    QTextLayout layout(text, item.font);
    QList<QTextLayout::FormatRange> marks;
    QTextCharFormat marked;
    marked.setBackground(QColor(255, 224, 64));
    marked.setForeground(Qt::black);
    marked.setFontWeight(QFont::Bold);
    for (const QPoint &range : index.data(kMarksRole).value<QList<QPoint>>())
        marks.append({range.x(), range.y(), marked});
    layout.setFormats(marks);
    layOut(layout, area.width());

    // A row that can't be chosen (a label over the rows) is read as the others are: the disabled
    // colour is too faint to read.
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(option.rect);
    layout.draw(painter, area.topLeft());
    painter->restore();
}

QSize MarkedTextDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const int width = qMax(50, view_->viewport()->width() - 2 * kPadding);
    QTextLayout layout(laidOutText(item.text), item.font);
    return {width + 2 * kPadding, int(std::ceil(layOut(layout, width))) + 2 * kPadding};
}

} // namespace reader
