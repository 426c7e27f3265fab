// Loading a large book and rewriting the pictures of a large page, each beside a baseline of the same
// run: a memchr scan over the book's bytes, and the replace-all that the rewriting rules call for.

#include "book/bookcheck.h"
#include "book/bookfile.h"
#include "book/parsingimage.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

constexpr int kBookPages = 20'000;
constexpr int kPageBytes = 5'000; // about 100 MB in all
constexpr int kPictures = 2'000;
constexpr int kPageChars = 1'000'000;
const QString kFolder = QStringLiteral("C:\\Program Files\\Reader");

struct Fixture {
    QTemporaryDir dir;
    QString bookPath;
    QByteArray book;
    QString page;
    QStringList distinctValues; // in the order in which the page first uses them
};

Fixture *fixture = nullptr;

QByteArray filler(QRandomGenerator &random, int size)
{
    static const char *const words[] = {"garden", "rose",         "the",        "of",
                                        "path",   "caf\xe9",      "lily",       "and",
                                        "water",  "\x93soil\x94", "<b>bed</b>", "<a href=\"x\">link</a>"};
    QByteArray text;
    while (text.size() < size)
        text += QByteArray(words[random.bounded(int(std::size(words)))]) + ' ';
    text.truncate(size);
    return text;
}

void makeBook(Fixture &f, QRandomGenerator &random)
{
    f.book = "A Garden Book<<$$>>";
    f.book.reserve(qsizetype(kBookPages) * (kPageBytes + 20));
    for (int i = 0; i < kBookPages; ++i) {
        if (i > 0)
            f.book += '~';
        f.book += "page" + QByteArray::number(i) + "##<html><body><p>";
        f.book += filler(random, kPageBytes - 60);
        f.book += "<img src=\"images/p" + QByteArray::number(i % 500) + ".gif\"></p></body></html>";
    }
    f.bookPath = f.dir.filePath(QStringLiteral("big.tavlo"));
    QFile file(f.bookPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(f.book) != f.book.size())
        qFatal("can't write the book to %s", qPrintable(f.bookPath));
}

// A page of kPictures pictures: mostly distinct names, some repeated, in both forms that the rules know,
// with markers in both cases and one background.
void makePage(Fixture &f, QRandomGenerator &random)
{
    f.page = QStringLiteral("<html><body background=\"paper.jpg\">");
    const int between = kPageChars / kPictures - 40;
    for (int i = 0; i < kPictures; ++i) {
        const int n = i % 5 == 4 ? random.bounded(i) : i; // one in five uses an earlier picture again
        const QString value = n % 3 == 0 ? QStringLiteral("images/plate%1.gif").arg(n, 4, 10, QLatin1Char('0'))
                                         : QStringLiteral("fig%1.jpg").arg(n, 4, 10, QLatin1Char('0'));
        if (!f.distinctValues.contains(value))
            f.distinctValues.append(value);
        f.page += QString::fromLatin1(filler(random, between));
        f.page += (i % 2 ? QStringLiteral("<IMG SRC=\"") : QStringLiteral("<img src=\"")) + value + u"\">";
    }
    f.page += QStringLiteral("</body></html>");
    f.distinctValues.append(QStringLiteral("paper.jpg"));
}

QString replacementFor(const QString &value)
{
    return value.startsWith(u"images", Qt::CaseInsensitive) ? QString(kFolder + u'\\' + value)
                                                            : QString(kFolder + QStringLiteral("\\images\\") + value);
}

qsizetype countTildes(const QByteArray &bytes)
{
    qsizetype count = 0;
    const char *at = bytes.constData();
    const char *end = at + bytes.size();
    while ((at = static_cast<const char *>(std::memchr(at, '~', size_t(end - at))))) {
        ++count;
        ++at;
    }
    return count;
}

void BM_MemchrScan(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(countTildes(fixture->book));
    state.SetBytesProcessed(state.iterations() * fixture->book.size());
}

void BM_ReadAndMemchrScan(benchmark::State &state)
{
    for (auto _ : state) {
        QFile file(fixture->bookPath);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("can't open the book");
        const QByteArray bytes = file.read(file.size());
        benchmark::DoNotOptimize(countTildes(bytes));
    }
    state.SetBytesProcessed(state.iterations() * fixture->book.size());
}

void BM_CutBook(benchmark::State &state)
{
    for (auto _ : state) {
        const book::Book book = book::parseBook(fixture->book, fixture->bookPath);
        if (book.pages.size() != kBookPages)
            state.SkipWithError("wrong number of pages");
    }
    state.SetBytesProcessed(state.iterations() * fixture->book.size());
}

void BM_LoadBookFile(benchmark::State &state)
{
    for (auto _ : state) {
        const book::Book book = book::loadBookFile(fixture->bookPath);
        if (book.pages.size() != kBookPages)
            state.SkipWithError("wrong number of pages");
    }
    state.SetBytesProcessed(state.iterations() * fixture->book.size());
}

// One replace-all of one picture name over the page, as the rules do it for each distinct name.
void BM_ReplaceAllPass(benchmark::State &state)
{
    const QString &value = fixture->distinctValues[fixture->distinctValues.size() / 2];
    const QString replacement = replacementFor(value);
    for (auto _ : state) {
        QString page = fixture->page;
        page.replace(value, replacement, Qt::CaseSensitive);
        benchmark::DoNotOptimize(page.constData());
    }
}

// The replace-all passes alone, one per distinct name, without finding the references.
void BM_ReplaceAllEveryName(benchmark::State &state)
{
    for (auto _ : state) {
        QString page = fixture->page;
        for (const QString &value : fixture->distinctValues)
            page.replace(value, replacementFor(value), Qt::CaseSensitive);
        benchmark::DoNotOptimize(page.constData());
    }
    state.SetLabel("distinct=" + std::to_string(fixture->distinctValues.size()));
}

void BM_ParsingImage(benchmark::State &state)
{
    for (auto _ : state) {
        QString page = fixture->page;
        book::parsingImage(page, kFolder);
        benchmark::DoNotOptimize(page.constData());
    }
    state.SetLabel("distinct=" + std::to_string(fixture->distinctValues.size()));
}

// A page of n distinct pictures, each written once, as a generated gallery or index is.
QString galleryPage(int n)
{
    QString page = QStringLiteral("<html><body><h1>Plates</h1>");
    for (int i = 0; i < n; ++i)
        page += QStringLiteral("<p>Plate %1: <img src=\"plate%1.gif\" alt=\"plate\"></p>\n").arg(i);
    return page + QStringLiteral("</body></html>");
}

// The pictures of such a page pointed into the images folder: the time must grow with n, not n².
void BM_PagePictures(benchmark::State &state)
{
    const QString page = galleryPage(int(state.range(0)));
    for (auto _ : state) {
        QString rewritten = page;
        book::parsingImage(rewritten, kFolder);
        benchmark::DoNotOptimize(rewritten.constData());
    }
}

// check on a book of that one page, with a folder that holds none of the pictures.
void BM_CheckPictures(benchmark::State &state)
{
    const book::Book book =
        book::parseBook("Plates<<$$>>plates##" + galleryPage(int(state.range(0))).toLatin1(), QStringLiteral("plates"));
    for (auto _ : state)
        benchmark::DoNotOptimize(book::checkBook(book, fixture->dir.path()).size());
}

BENCHMARK(BM_MemchrScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndMemchrScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutBook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBookFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAllPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAllEveryName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParsingImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PagePictures)->Arg(5'000)->Arg(50'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckPictures)->Arg(5'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    Fixture f;
    QRandomGenerator random(20'240'601);
    makeBook(f, random);
    makePage(f, random);
    // The rewritten page must be what the replace-all passes alone give, else the comparison is unfair.
    QString rewritten = f.page;
    book::parsingImage(rewritten, kFolder);
    QString replaced = f.page;
    for (const QString &value : f.distinctValues)
        replaced.replace(value, replacementFor(value), Qt::CaseSensitive);
    if (rewritten != replaced)
        qFatal("the page is not rewritten as the replace-all passes alone would");
    fixture = &f;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
