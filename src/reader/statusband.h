#pragma once

#include <book/pagetable.h>

#include <QLabel>

namespace reader {

// "page k of N" and the page's name, for the band and for a screen reader.
QString placeText(const book::PageTable &pages, qsizetype page);

// The band below the page view: where the reader is in the book, and beside it a note until the next
// command (such as a page number that go to page can't show) and the place where the last run left
// the book, while it is offered. While the pointer is on a web or mail link, it shows where that goes,
// as a browser's status bar does. A right click asks for the menu of the commands that find the way.
class StatusBand final : public QLabel {
    Q_OBJECT

public:
    explicit StatusBand(QWidget *parent);

    void setPlace(const QString &place);
    void setNote(const QString &note);
    void setHoveredLink(const QString &url);
    // The page offered to continue at (from 0), with its title; none when page is negative.
    void setOffer(qsizetype page, const QString &title);
    bool offers() const { return offerPage_ >= 0; }

signals:
    void offerClicked();
    void menuRequested(const QPoint &globalPosition);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void showText();

    QString place_;
    QString note_;
    QString hoveredLink_;
    qsizetype offerPage_ = -1;
    QString offerTitle_;
};

} // namespace reader
