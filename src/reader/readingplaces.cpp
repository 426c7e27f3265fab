#include "readingplaces.h"

#include "logging.h"

#include <platform/failure.h>
#include <platform/filelock.h>
#include <platform/filesystem.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace reader {
namespace {

// The file's form: {"books": {path: {"fingerprint", "page", "scrollX", "scrollY", "zoom", "time"}}}.
constexpr int kLargestFile = 1 << 20;
// Another reader writing its place at the same moment is done in far less.
constexpr std::chrono::seconds kLockPatience{2};

QString timeKey()
{
    return QStringLiteral("time");
}

} // namespace

QString ReadingPlaces::defaultFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/places.json");
}

QByteArray ReadingPlaces::fingerprint(const QString &title, const book::PageTable &pages)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(title.toUtf8());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QByteArrayView record = pages.recordBytes(i);
        const qint64 length = record.size();
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&length), sizeof length));
        hash.addData(record);
    }
    return hash.result().toHex();
}

void ReadingPlaces::warn(const QString &what)
{
    if (!warned_.exchange(true))
        qCWarning(lcReader).noquote() << what;
}

ReadingPlaces::Books ReadingPlaces::readBooks()
{
    // Opened without waiting, and read no further than the largest file written: a named pipe, a
    // device or a link to one in the file's place must neither hold the reader nor fill its memory.
    std::unique_ptr<QFile> file;
    try {
        file = platform::openRegularFile(file_);
    } catch (const platform::Failure &failure) {
        const QFileInfo info(file_);
        if (!info.exists() && !info.isSymLink())
            return {{}, true};
        warn(QStringLiteral("the places left in books are not remembered: %1").arg(failure.description()));
        return {{}, false};
    }
    const QByteArray text = file->read(kLargestFile + 1);
    if (text.size() > kLargestFile) {
        warn(QStringLiteral("the places left in books are not remembered: %1 is larger than %2 bytes")
                 .arg(file_)
                 .arg(kLargestFile));
        return {{}, false};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        !document.object().value(QStringLiteral("books")).isObject()) {
        // What was read and isn't as written holds no place worth keeping: it is written anew.
        warn(QStringLiteral("the places left in books are not remembered: %1 is not as written").arg(file_));
        return {{}, true};
    }
    return {document.object().value(QStringLiteral("books")).toObject(), true};
}

std::optional<ReadingPlaces::Place> ReadingPlaces::find(const QString &path, const QByteArray &fingerprint)
{
    if (file_.isEmpty())
        return std::nullopt;
    const QJsonObject book = readBooks().books.value(path).toObject();
    if (book.value(QStringLiteral("fingerprint")).toString() != QString::fromLatin1(fingerprint))
        return std::nullopt;
    Place place;
    place.page = qsizetype(book.value(QStringLiteral("page")).toInteger(-1));
    place.scroll = {book.value(QStringLiteral("scrollX")).toDouble(), book.value(QStringLiteral("scrollY")).toDouble()};
    place.zoom = book.value(QStringLiteral("zoom")).toDouble(1);
    if (place.page < 0 || !(place.zoom > 0))
        return std::nullopt;
    return place;
}

void ReadingPlaces::remember(const QString &path, const QByteArray &fingerprint, const Place &place)
{
    if (file_.isEmpty())
        return;
    QDir().mkpath(QFileInfo(file_).absolutePath());
    // Read, changed and written by one reader at a time, so that two closing together keep both
    // places.
    const platform::FileLock lock(file_ + QStringLiteral(".lock"), kLockPatience);
    if (!lock.locked()) {
        warn(QStringLiteral("the place left in the book is not remembered: %1.lock can't be taken").arg(file_));
        return;
    }
    Books read = readBooks();
    if (!read.mayReplace)
        return; // said by readBooks; a file that couldn't be read is never replaced
    QJsonObject &books = read.books;
    books.insert(path, QJsonObject{
                           {QStringLiteral("fingerprint"), QString::fromLatin1(fingerprint)},
                           {QStringLiteral("page"), qint64(place.page)},
                           {QStringLiteral("scrollX"), place.scroll.x()},
                           {QStringLiteral("scrollY"), place.scroll.y()},
                           {QStringLiteral("zoom"), place.zoom},
                           {timeKey(), QDateTime::currentSecsSinceEpoch()},
                       });
    keepLatest(books, kBooksKept);
    QSaveFile file(file_);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("books"), books}}).toJson(QJsonDocument::Compact)) < 0 ||
        !file.commit())
        warn(QStringLiteral("the place left in the book is not remembered: %1 can't be written").arg(file_));
}

void ReadingPlaces::keepLatest(QJsonObject &books, qsizetype count)
{
    if (books.size() <= count)
        return;
    // The books left longest ago make room for the others: the latest found in one pass, not the
    // oldest searched for once per book dropped.
    std::vector<std::pair<qint64, QString>> byTime;
    byTime.reserve(size_t(books.size()));
    for (auto it = books.constBegin(); it != books.constEnd(); ++it)
        byTime.emplace_back(it.value().toObject().value(timeKey()).toInteger(), it.key());
    const auto latest = byTime.begin() + count;
    std::nth_element(byTime.begin(), latest, byTime.end(), std::greater<>());
    QJsonObject kept;
    for (auto it = byTime.begin(); it != latest; ++it)
        kept.insert(it->second, books.value(it->second));
    books = kept;
}

} // namespace reader
