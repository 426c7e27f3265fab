#include "readingplaces.h"

#include "logging.h"

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
#include <vector>

namespace reader {
namespace {

// The file's form: {"books": {path: {"fingerprint", "page", "scrollX", "scrollY", "zoom", "time"}}}.
constexpr int kLargestFile = 1 << 20;

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

QJsonObject ReadingPlaces::readBooks()
{
    QFile file(file_);
    if (!file.exists())
        return {};
    if (file.size() > kLargestFile || !file.open(QIODevice::ReadOnly)) {
        warn(QStringLiteral("the places left in books are not remembered: %1 can't be read").arg(file_));
        return {};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        !document.object().value(QStringLiteral("books")).isObject()) {
        warn(QStringLiteral("the places left in books are not remembered: %1 is not as written").arg(file_));
        return {};
    }
    return document.object().value(QStringLiteral("books")).toObject();
}

std::optional<ReadingPlaces::Place> ReadingPlaces::find(const QString &path, const QByteArray &fingerprint)
{
    if (file_.isEmpty())
        return std::nullopt;
    const QJsonObject book = readBooks().value(path).toObject();
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
    QJsonObject books = readBooks();
    books.insert(path, QJsonObject{
                           {QStringLiteral("fingerprint"), QString::fromLatin1(fingerprint)},
                           {QStringLiteral("page"), qint64(place.page)},
                           {QStringLiteral("scrollX"), place.scroll.x()},
                           {QStringLiteral("scrollY"), place.scroll.y()},
                           {QStringLiteral("zoom"), place.zoom},
                           {QStringLiteral("time"), QDateTime::currentSecsSinceEpoch()},
                       });
    // The books left longest ago make room for the others.
    while (books.size() > kBooksKept) {
        auto oldest = std::min_element(books.begin(), books.end(), [](const QJsonValueRef &a, const QJsonValueRef &b) {
            return a.toObject().value(QStringLiteral("time")).toInteger() <
                   b.toObject().value(QStringLiteral("time")).toInteger();
        });
        books.erase(oldest);
    }
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QSaveFile file(file_);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("books"), books}}).toJson(QJsonDocument::Compact)) < 0 ||
        !file.commit())
        warn(QStringLiteral("the place left in the book is not remembered: %1 can't be written").arg(file_));
}

} // namespace reader
