// The reader's own file of places, as any bytes may leave it: reading it never fails the reader,
// and remembering a place either leaves the file exactly as it was or writes one in which that
// place is found again, with no more books than are kept.
#include "fuzzcheck.h"

#include "reader/readingplaces.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString placesFile;

QByteArray contents()
{
    QFile file(placesFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    placesFile = fuzz::runFolderPath(QStringLiteral("places.json"));
    // A file that is not as written is said on standard error, once per reader: no finding.
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false\ntavlo.reader.warning=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile file(placesFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
            std::abort();
    }
    const QByteArray fingerprint("0123abcd");
    reader::ReadingPlaces places(placesFile);
    if (const auto place = places.find(QStringLiteral("/book"), fingerprint)) {
        FUZZ_CHECK(place->page >= 0);
        FUZZ_CHECK(place->zoom > 0);
    }
    places.remember(QStringLiteral("/book"), fingerprint, {7, QPointF(0, 40), 1.5});

    const QByteArray after = contents();
    if (after == input)
        return 0;
    const auto found = reader::ReadingPlaces(placesFile).find(QStringLiteral("/book"), fingerprint);
    FUZZ_CHECK_MSG(found && found->page == 7 && found->zoom == 1.5, QString::fromUtf8(after.left(200)));
    const QJsonObject books = QJsonDocument::fromJson(after).object().value(QStringLiteral("books")).toObject();
    FUZZ_CHECK(books.size() <= reader::ReadingPlaces::kBooksKept);
    return 0;
}
