#pragma once

#include "readingplaces.h"

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>

#include <memory>
#include <optional>

namespace reader {

// Where the reader left the book at the last run: looked up on a worker thread once the first page
// is shown, and offered until the reader moves; remembered when the reading ends.
class PlaceKeeper final : public QObject {
    Q_OBJECT

public:
    // The places kept in placesFile, for the book file at bookPath; neither empty.
    PlaceKeeper(const QString &placesFile, QString bookPath, QObject *parent);

    // Looks the place up for the book with this title and pages.
    void find(const QString &title, const book::PageTable &pages);
    // The reader is on page now: a page other than the first ends the offer.
    void pageShown(qsizetype page);
    // The place offered, with its page's title; taken, it is offered no more.
    const std::optional<ReadingPlaces::Place> &offer() const { return offer_; }
    const QString &offerTitle() const { return offerTitle_; }
    std::optional<ReadingPlaces::Place> takeOffer();
    // Keeps place as where the book was left, once. A reader who stayed on the first page leaves the
    // place of the last run as it was, unless it is known that there was none.
    void remember(const ReadingPlaces::Place &place, const book::PageTable &pages);

signals:
    void offerChanged();

private:
    struct FoundPlace {
        QByteArray fingerprint;
        std::optional<ReadingPlaces::Place> place;
        QString title; // of the place's page
    };
    void found(const book::PageTable &pages);

    std::shared_ptr<ReadingPlaces> places_;
    QString bookPath_;
    QString title_;
    QThreadPool pool_{this};
    QFutureWatcher<FoundPlace> placeFound_;
    QByteArray fingerprint_; // of the book, once known
    std::optional<ReadingPlaces::Place> offer_;
    QString offerTitle_;
    bool moved_ = false;
    bool remembered_ = false;
};

} // namespace reader
