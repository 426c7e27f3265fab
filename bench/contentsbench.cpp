// The contents of a big book: reading the titles of 20,000 pages (off the window thread, as the
// reader does) against reading their names for the link index; the side panel shown by F9 the first
// time and again; and filtering 6,000 entries against a plain case-insensitive find of one word in
// each title.

#include "../tests/reader/fakepageview.h"

#include "book/bookfile.h"
#include "book/contents.h"
#include "book/contentsfilter.h"
#include "book/pageindex.h"
#include "reader/form1.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTreeView>
#include <QtConcurrent>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Pages as imported manuals have them: named by paths, most with a title, some with a heading after
// a paragraph, a few with neither, each a few kilobytes long.
QByteArray bookText(int pages)
{
    const QByteArray filler =
        QByteArray("<p>The quick brown fox jumps over the lazy dog, again and again.</p>\n").repeated(40);
    QByteArray text = "Manual<<$$>>";
    text.reserve(qsizetype(pages) * (filler.size() + 200));
    for (int i = 0; i < pages; ++i) {
        if (i)
            text += '~';
        const QByteArray n = QByteArray::number(i);
        text += "part" + QByteArray::number(i / 500) + "/page" + n + ".html##<html><head>";
        if (i % 20 < 16)
            text += "<title>Opening database connection number " + n + "</title>";
        text += "</head><body><p>Lead paragraph.</p>";
        if (i % 20 >= 16 && i % 20 < 19)
            text += "<h2>Heading of page " + n + "</h2>";
        text += filler + "</body></html>";
    }
    return text;
}

const book::PageTable &pages(int count)
{
    static std::map<int, book::PageTable> tables;
    auto found = tables.find(count);
    if (found == tables.end())
        found = tables.emplace(count, book::parseBook(bookText(count), QStringLiteral("big.tavlo")).pages).first;
    return found->second;
}

void BM_ReadContents(benchmark::State &state)
{
    const book::PageTable &table = pages(int(state.range(0)));
    for (auto _ : state) {
        QFuture<std::shared_ptr<const book::Contents>> future =
            QtConcurrent::run([table] { return std::make_shared<const book::Contents>(table); });
        benchmark::DoNotOptimize(future.result());
    }
}
BENCHMARK(BM_ReadContents)->Arg(20'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadPageNames(benchmark::State &state)
{
    const book::PageTable &table = pages(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(book::PageIndex(table));
}
BENCHMARK(BM_ReadPageNames)->Arg(20'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A book of count short pages, every one of which holds "harbour".
QByteArray harbourBook(int count)
{
    QByteArray text = "Harbours<<$$>>";
    for (int i = 0; i < count; ++i)
        text +=
            (i ? "~h" : "h") + QByteArray::number(i) + "##<p>The harbour of town " + QByteArray::number(i) + ".</p>";
    return text;
}

// The reader window over a page view that shows nothing, with a book of count pages.
struct Reader {
    explicit Reader(int count) : Reader(bookText(count)) {}
    explicit Reader(const QByteArray &text)
    {
        QFile file(folder.filePath(QStringLiteral("tessavanetavlo.tavlo")));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(text);
        file.close();
        reader::ReaderServices services;
        services.applicationFolder = [this] { return folder.path(); };
        services.screenSize = [] { return platform::ScreenTwips{19200, 14400}; };
        services.loadPicture = [](const QString &) { return QPixmap(); };
        services.showMessage = [](const QString &) {};
        services.sleep = [](int) {};
        services.endProgram = [] {};
        services.openLink = [](const QUrl &) { return true; };
        form = std::make_unique<reader::Form1>([](QWidget *window) { return new FakePageView(window); },
                                               std::move(services));
        form->showModeless();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }

    // F9, until the contents are listed.
    void showContents()
    {
        form->findChild<QAction *>(QStringLiteral("contents"))->trigger();
        auto *tree = form->findChild<QTreeView *>(QStringLiteral("contentsTree"));
        while (tree->model()->rowCount() < 2)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents(); // painted
    }

    QTemporaryDir folder;
    std::unique_ptr<reader::Form1> form;
};

void BM_ContentsFirstShown(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Reader reader(int(state.range(0)));
        state.ResumeTiming();
        reader.showContents();
    }
}
BENCHMARK(BM_ContentsFirstShown)->Arg(20'000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ContentsShownAgain(benchmark::State &state)
{
    Reader reader(int(state.range(0)));
    reader.showContents();
    for (auto _ : state) {
        reader.form->findChild<QAction *>(QStringLiteral("contents"))->trigger(); // hidden
        QCoreApplication::processEvents();
        reader.showContents();
    }
}
BENCHMARK(BM_ContentsShownAgain)->Arg(20'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Two words in any order, against each alternately, over 6,000 entries.
void BM_FilterContents(benchmark::State &state)
{
    const book::Contents contents(pages(int(state.range(0))));
    const book::ContentsFilter filter(contents);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            filter.filter(++i % 2 ? QStringLiteral("CONNECTION 12") : QStringLiteral("page heading")));
}
BENCHMARK(BM_FilterContents)->Arg(6'000)->Unit(benchmark::kMillisecond);

void BM_FindOneWordInTitles(benchmark::State &state)
{
    const book::Contents contents(pages(int(state.range(0))));
    int i = 0;
    for (auto _ : state) {
        const QString word = ++i % 2 ? QStringLiteral("CONNECTION") : QStringLiteral("heading");
        qsizetype kept = 0;
        for (const book::Contents::Entry &entry : contents.entries())
            kept += entry.title.contains(word, Qt::CaseInsensitive);
        benchmark::DoNotOptimize(kept);
    }
}
BENCHMARK(BM_FindOneWordInTitles)->Arg(6'000)->Unit(benchmark::kMillisecond);

// Typed into the panel's field: filtered and listed.
void BM_FilterTyped(benchmark::State &state)
{
    Reader reader(int(state.range(0)));
    reader.showContents();
    auto *field = reader.form->findChild<QLineEdit *>(QStringLiteral("contentsFilter"));
    int i = 0;
    for (auto _ : state) {
        field->setText(++i % 2 ? QStringLiteral("CONNECTION 12") : QStringLiteral("page heading"));
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_FilterTyped)->Arg(6'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ctrl+PageDown, as the window's input, until the next page is the current one: alone, and while a
// search whose words every one of 200,000 pages holds is telling its pages found.
void turnWhile(benchmark::State &state, bool searching)
{
    Reader reader(harbourBook(200'000));
    auto *next = reader.form->findChild<QAction *>(QStringLiteral("nextPage"));
    for (auto _ : state) {
        state.PauseTiming();
        if (searching) {
            reader.form->findChild<QAction *>(QStringLiteral("findInBook"))->trigger();
            auto *field = reader.form->findChild<QLineEdit *>(QStringLiteral("bookSearchText"));
            field->setText(QStringLiteral("harbour"));
            QMetaObject::invokeMethod(field, "returnPressed");
            auto *status = reader.form->findChild<QLabel *>(QStringLiteral("bookSearchStatus"));
            // Results coming in: the list holds some, not all.
            auto *results = reader.form->findChild<QListWidget *>(QStringLiteral("bookSearchResults"));
            while (results->count() < 1000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (!status->text().contains(QStringLiteral("Searching")))
                state.SkipWithError("the search ended before the turn");
        }
        const qsizetype page = reader.form->currentPage();
        state.ResumeTiming();
        // Posted behind whatever waits already, as a key press is.
        QMetaObject::invokeMethod(next, &QAction::trigger, Qt::QueuedConnection);
        while (reader.form->currentPage() == page)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void BM_TurnAlone(benchmark::State &state)
{
    turnWhile(state, false);
}
BENCHMARK(BM_TurnAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_TurnDuringSearch(benchmark::State &state)
{
    turnWhile(state, true);
}
BENCHMARK(BM_TurnDuringSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
