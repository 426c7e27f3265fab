#pragma once

#include <book/pagetable.h>

#include <QByteArray>
#include <QJsonObject>
#include <QPointF>
#include <QString>

#include <atomic>
#include <optional>

namespace reader {

// Where the reader left each book: the last page shown, how far it was scrolled and the zoom, kept
// in one small file of the user's state, by the book's path. A book whose title or pages changed
// since has its place dropped. A file that can't be read or written costs one line on standard error
// for the run, and the reader goes on without it.
class ReadingPlaces {
public:
    struct Place {
        qsizetype page = 0;
        QPointF scroll;
        double zoom = 1;
    };

    // The places in file; none are read or kept when file is empty.
    explicit ReadingPlaces(QString file) : file_(std::move(file)) {}

    // The file in the user's state folder (the application's local data folder).
    static QString defaultFile();
    // What tells a book's version: a hash of its title and every record of its page table.
    static QByteArray fingerprint(const QString &title, const book::PageTable &pages);

    // The place left in the book at path, when it was left in this very version of it.
    std::optional<Place> find(const QString &path, const QByteArray &fingerprint);
    // Keeps the place left in the book; the places of other books stay, up to kBooksKept, the
    // latest.
    void remember(const QString &path, const QByteArray &fingerprint, const Place &place);

    static constexpr int kBooksKept = 100;

    // Keeps the count books left latest, by their "time".
    static void keepLatest(QJsonObject &books, qsizetype count);

private:
    struct Books {
        QJsonObject books;
        bool mayReplace; // false when the file is there but couldn't be read
    };
    // The file's books, or none when it is missing or unreadable (which is said once).
    Books readBooks();
    void warn(const QString &what);

    QString file_;
    std::atomic<bool> warned_{false}; // find may run on a worker thread
};

} // namespace reader
