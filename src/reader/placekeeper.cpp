#include "placekeeper.h"

#include <book/contents.h>
#include <book/pageindex.h>
#include <book/record.h>
#include <platform/process.h>

#include <QtConcurrent>

namespace reader {

PlaceKeeper::PlaceKeeper(const QString &placesFile, QString bookPath, QObject *parent)
    : QObject(parent), places_(std::make_shared<ReadingPlaces>(placesFile)), bookPath_(std::move(bookPath))
{
}

void PlaceKeeper::find(const QString &title, const book::PageTable &pages)
{
    title_ = title;
    connect(&placeFound_, &QFutureWatcherBase::finished, this, [this, pages] { found(pages); });
    // Its thread reads the whole book for its fingerprint, which nobody waits for: at the lowest
    // priority, it leaves the processors to the first page.
    pool_.setMaxThreadCount(1);
    placeFound_.setFuture(
        QtConcurrent::run(&pool_, [places = places_, path = bookPath_, title, table = pages]() -> FoundPlace {
            platform::lowerThreadPriority();
            FoundPlace found{ReadingPlaces::fingerprint(title, table), std::nullopt, {}};
            found.place = places->find(path, found.fingerprint);
            if (found.place && found.place->page < table.size()) {
                found.title = book::pageTitleAt(table, found.place->page);
                if (found.title.isEmpty())
                    found.title = book::pageNameAt(table, found.place->page).trimmed();
            }
            return found;
        }));
}

void PlaceKeeper::found(const book::PageTable &pages)
{
    const FoundPlace found = placeFound_.result();
    fingerprint_ = found.fingerprint;
    // Page 0 at the top is where every run begins: nothing to offer.
    if (moved_ || !found.place || found.place->page >= pages.size() ||
        (found.place->page == 0 && found.place->scroll.isNull()) ||
        !book::showsSomething(pages.recordBytes(found.place->page)))
        return;
    offer_ = found.place;
    offerTitle_ = found.title;
    emit offerChanged();
}

void PlaceKeeper::pageShown(qsizetype page)
{
    if (page == 0)
        return;
    moved_ = true;
    if (std::exchange(offer_, std::nullopt))
        emit offerChanged();
}

std::optional<ReadingPlaces::Place> PlaceKeeper::takeOffer()
{
    const std::optional<ReadingPlaces::Place> taken = std::exchange(offer_, std::nullopt);
    if (taken)
        emit offerChanged();
    return taken;
}

void PlaceKeeper::remember(const ReadingPlaces::Place &place, const book::PageTable &pages)
{
    if (std::exchange(remembered_, true) || (!moved_ && (offer_ || !placeFound_.isFinished())))
        return;
    // A blank record is the current page while the page before stays shown: no place to go back to.
    if (place.page < 0 || place.page >= pages.size() || !book::showsSomething(pages.recordBytes(place.page)))
        return;
    if (fingerprint_.isEmpty())
        fingerprint_ = ReadingPlaces::fingerprint(title_, pages);
    places_->remember(bookPath_, fingerprint_, place);
}

} // namespace reader
