// Finding a word in the whole of a 100 MB book of 20,000 pages, beside `grep -c -i WORD` over the same
// file in the same run: the whole search, and the time until the first page found reaches the thread
// that started the search. Both a rare word (on one page in a hundred) and a common one (on every page,
// many times) are searched. The search reads the page table that the reader holds in memory; grep
// reads the file, from the system's cache after its first run.

#include "book/bookfile.h"
#include "book/booksearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kBookPages = 20'000;
constexpr int kPageBytes = 5'000; // about 100 MB in all
constexpr int kRareEvery = 100;   // the rare word stands on one page in this many
constexpr int kRareFirst = 60;    // from this page on, so that the first result is not the first page

struct Fixture {
    QTemporaryDir dir;
    QString bookPath;
    book::PageTable pages;
};

Fixture *fixture = nullptr;

// A page as an editor writes one: a head with title, style sheet and script, paragraphs of lines
// with inline markup, links and character references, in Windows-1252.
QByteArray page(int i, QRandomGenerator &random)
{
    static const char *const words[] = {
        "the",   "of",    "and",   "a",     "to",   "in",     "harbour", "garden",  "rose",         "path",
        "water", "stone", "town",  "quay",  "boat", "street", "market",  "house",   "window",       "lamp",
        "sea",   "wall",  "night", "light", "old",  "small",  "green",   "caf\xe9", "\x93salt\x94", "net"};
    QByteArray html = "p" + QByteArray::number(i) + "##<html><head><title>Page " + QByteArray::number(i) +
                      "</title>\n<style>p { margin: 0 } .n { color: #333 }</style>\n"
                      "<script>var page = " +
                      QByteArray::number(i) + ";</script></head>\n<body>\n<h1>Page " + QByteArray::number(i) +
                      "</h1>\n";
    const bool rare = i >= kRareFirst && i % kRareEvery == kRareFirst % kRareEvery;
    while (html.size() < kPageBytes - 60) {
        html += "<p class=\"n\">";
        for (int line = 0; line < 4; ++line) {
            for (int w = 0; w < 12; ++w) {
                const int pick = random.bounded(int(std::size(words)));
                switch (random.bounded(40)) {
                case 0:
                    html += "<b>" + QByteArray(words[pick]) + "</b> ";
                    break;
                case 1:
                    html +=
                        "<a href=\"p" + QByteArray::number(random.bounded(kBookPages)) + "\">" + words[pick] + "</a> ";
                    break;
                case 2:
                    html += "fish &amp; chips ";
                    break;
                case 3:
                    html += "&eacute;t&eacute; ";
                    break;
                default:
                    html += QByteArray(words[pick]) + ' ';
                }
            }
            html += '\n';
        }
        if (rare && html.size() > kPageBytes / 2 && !html.contains("lighthouse"))
            html += "the <i>lighthouse</i> keeper\n";
        html += "</p>\n";
    }
    return html + "</body></html>";
}

void makeBook(Fixture &f)
{
    QRandomGenerator random(20'241'207);
    QByteArray book = "Pellomare<<$$>>";
    book.reserve(qsizetype(kBookPages) * (kPageBytes + 100));
    for (int i = 0; i < kBookPages; ++i) {
        if (i > 0)
            book += '~';
        book += page(i, random);
    }
    f.bookPath = f.dir.filePath(QStringLiteral("big.tavlo"));
    QFile file(f.bookPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(book) != book.size())
        qFatal("can't write the book to %s", qPrintable(f.bookPath));
    file.close();
    f.pages = book::loadBookFile(f.bookPath).pages;
}

// grep over the book file, in the C locale as the file is 8-bit text; gives its count of lines.
long grepCount(const char *word)
{
    QProcess grep;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    grep.setProcessEnvironment(environment);
    grep.start(QStringLiteral("grep"),
               {QStringLiteral("-c"), QStringLiteral("-i"), QString::fromLatin1(word), fixture->bookPath});
    if (!grep.waitForFinished(60'000))
        return -1;
    return grep.readAllStandardOutput().trimmed().toLong();
}

void BM_GrepCount(benchmark::State &state, const char *word)
{
    long lines = 0;
    for (auto _ : state)
        lines = grepCount(word);
    if (lines <= 0)
        state.SkipWithError("grep found nothing");
    state.SetLabel("lines=" + std::to_string(lines));
}

// The whole search, from start() to finished() on this thread, every result received.
void BM_BookSearch(benchmark::State &state, const char *word)
{
    qsizetype pages = 0;
    for (auto _ : state) {
        book::BookSearch search;
        pages = 0;
        QObject::connect(&search, &book::BookSearch::found, [&] { ++pages; });
        QEventLoop loop;
        QObject::connect(&search, &book::BookSearch::finished, &loop, &QEventLoop::quit);
        search.start(fixture->pages, QString::fromLatin1(word), Qt::CaseInsensitive);
        loop.exec();
    }
    if (pages == 0)
        state.SkipWithError("the search found nothing");
    state.SetLabel("pages=" + std::to_string(pages) + " threads=" + std::to_string(book::BookSearch().threadCount()));
}

// From start() to the first result on this thread; the rest of the search is cancelled, and waited
// for outside the measure.
void BM_BookSearchFirstResult(benchmark::State &state, const char *word)
{
    qsizetype firstPage = -1;
    for (auto _ : state) {
        auto search = std::make_unique<book::BookSearch>();
        QEventLoop loop;
        QElapsedTimer timer;
        double seconds = 0;
        QObject::connect(search.get(), &book::BookSearch::found, [&](const book::PageMatch &m) {
            if (seconds == 0) {
                seconds = double(timer.nsecsElapsed()) / 1e9;
                firstPage = m.page;
            }
            loop.quit();
        });
        QObject::connect(search.get(), &book::BookSearch::finished, &loop, &QEventLoop::quit);
        timer.start();
        search->start(fixture->pages, QString::fromLatin1(word), Qt::CaseInsensitive);
        loop.exec();
        search->cancel();
        search.reset();
        state.SetIterationTime(seconds);
    }
    if (firstPage < 0)
        state.SkipWithError("the search found nothing");
    state.SetLabel("first page=" + std::to_string(firstPage));
}

// The search on one thread, the calling one, without an event loop.
void BM_SearchBookOneThread(benchmark::State &state, const char *word)
{
    const book::PageFinder finder(QString::fromLatin1(word), Qt::CaseInsensitive);
    const std::atomic<bool> cancelled{false};
    qsizetype pages = 0;
    for (auto _ : state) {
        pages = 0;
        book::searchBook(
            fixture->pages, finder, [&](std::vector<book::PageMatch> &&found) { pages += qsizetype(found.size()); },
            cancelled, 1);
    }
    if (pages == 0)
        state.SkipWithError("the search found nothing");
    state.SetBytesProcessed(state.iterations() * QFile(fixture->bookPath).size());
}

BENCHMARK_CAPTURE(BM_GrepCount, rare, "lighthouse")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BookSearch, rare, "lighthouse")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BookSearchFirstResult, rare, "lighthouse")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(BM_SearchBookOneThread, rare, "lighthouse")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GrepCount, common, "harbour")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BookSearch, common, "harbour")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BookSearchFirstResult, common, "harbour")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(BM_SearchBookOneThread, common, "harbour")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Fixture f;
    makeBook(f);
    fixture = &f;
    // The rare word stands on a line of its own page: both must find the same pages, else they don't
    // do the same work.
    qsizetype found = 0;
    const std::atomic<bool> cancelled{false};
    book::searchBook(
        f.pages, book::PageFinder(u"LIGHTHOUSE", Qt::CaseInsensitive),
        [&](std::vector<book::PageMatch> &&pages) { found += qsizetype(pages.size()); }, cancelled, 1);
    if (found != grepCount("lighthouse"))
        qFatal("the search found %lld pages, grep %ld lines", static_cast<long long>(found), grepCount("lighthouse"));
    std::fprintf(stderr, "book: %s, %lld pages, %lld bytes\n", qPrintable(f.bookPath),
                 static_cast<long long>(f.pages.size()), static_cast<long long>(QFile(f.bookPath).size()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
