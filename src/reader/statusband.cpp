#include "statusband.h"

#include "isolated.h"

#include <book/record.h>

#include <QMouseEvent>

namespace reader {

QString placeText(const book::PageTable &pages, qsizetype page)
{
    QString text = StatusBand::tr("page %1 of %2").arg(page + 1).arg(pages.size());
    if (page >= 0 && page < pages.size()) {
        const QString name = book::trimSpaces(book::pageName(pages.record(page))).toString();
        if (!name.isEmpty())
            text += QStringLiteral("   \u2014   ") + isolated(name);
    }
    return text;
}

StatusBand::StatusBand(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("band"));
    // Page names are the book's: never read as markup, which could load files or paint a fake band.
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Its name is its text, which assistive technology reads and is told of as it changes.
    setAccessibleDescription(tr("Where you are in the book"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QLabel::customContextMenuRequested, this,
            [this](const QPoint &at) { emit menuRequested(mapToGlobal(at)); });
}

void StatusBand::setPlace(const QString &place)
{
    place_ = place;
    showText();
}

void StatusBand::setNote(const QString &note)
{
    note_ = note;
    showText();
}

void StatusBand::setHoveredLink(const QString &url)
{
    hoveredLink_ = url;
    showText();
}

void StatusBand::setOffer(qsizetype page, const QString &title)
{
    offerPage_ = page;
    offerTitle_ = title;
    showText();
}

void StatusBand::showText()
{
    if (!hoveredLink_.isEmpty()) {
        setText(isolated(hoveredLink_));
        return;
    }
    QString text = place_;
    if (!note_.isEmpty())
        text += QStringLiteral("      \u25b8 ") + note_;
    if (offers()) {
        text += QStringLiteral("      \u25b8 ") +
                tr("Continue at page %1 \u2014 %2 (F8, or click here)").arg(offerPage_ + 1).arg(isolated(offerTitle_));
    }
    setText(text);
}

void StatusBand::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && offers()) {
        emit offerClicked();
        return;
    }
    QLabel::mousePressEvent(event);
}

} // namespace reader
