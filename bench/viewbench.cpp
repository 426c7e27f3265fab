// The reader against a bare web view, in the same run: start to the first page shown, and a page
// turn, each beside a bare QWebEngineView loading the same HTML.

#include "book/bookfile.h"
#include "book/showpage.h"
#include "reader/form1.h"
#include "reader/picturebutton.h"
#include "webviewsupport.h"

#include <QWebEngineView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QString kAppFolder = QStringLiteral(TAVLO_APP_DIR);

QString pageHtml(qsizetype i)
{
    const book::Book book = book::loadBookFile(kAppFolder + QLatin1String("/tessavanetavlo.tavlo"));
    return book::preparePage(book.pages, i, kAppFolder).html;
}

std::unique_ptr<reader::Form1> openReader()
{
    reader::ReaderServices services = reader::ReaderServices::platformServices();
    services.applicationFolder = [] { return kAppFolder; };
    auto form = std::make_unique<reader::Form1>(
        [](QWidget *window) {
            return pageview::createPageView({QStringLiteral(TAVLO_CONTROL_FILE)}, window, kAppFolder);
        },
        std::move(services));
    return form;
}

QWebEngineView &viewOf(reader::Form1 &form)
{
    return *form.findChild<QWebEngineView *>();
}

void BM_BareViewFirstPage(benchmark::State &state)
{
    const QString html = pageHtml(0);
    for (auto _ : state) {
        QWebEngineView view;
        view.resize(1280, 760);
        view.show();
        view.setHtml(html, QUrl(QStringLiteral("file:///")));
        waitForLoad(view);
    }
}
BENCHMARK(BM_BareViewFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reader's window from its creation: toolbar pictures, layout, reading the book, first page.
void BM_ReaderFirstPage(benchmark::State &state)
{
    for (auto _ : state) {
        std::unique_ptr<reader::Form1> form = openReader();
        form->showModeless();
        waitForLoad(viewOf(*form));
    }
}
BENCHMARK(BM_ReaderFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareViewTurn(benchmark::State &state)
{
    const QString pages[] = {pageHtml(0), pageHtml(1)};
    QWebEngineView view;
    view.resize(1280, 760);
    view.show();
    int k = 0;
    for (auto _ : state) {
        view.setHtml(pages[++k % 2], QUrl(QStringLiteral("file:///")));
        waitForLoad(view);
    }
}
BENCHMARK(BM_BareViewTurn)->Unit(benchmark::kMillisecond)->UseRealTime();

// Next from the first page and First back to it, each to its load finished.
void BM_ReaderTurn(benchmark::State &state)
{
    std::unique_ptr<reader::Form1> form = openReader();
    form->showModeless();
    QWebEngineView &view = viewOf(*form);
    waitForLoad(view);
    int k = 0;
    for (auto _ : state) {
        // The buttons' commands, as a click runs them.
        emit(++k % 2 ? form->nxt : form->home)->clicked();
        waitForLoad(view);
    }
}
BENCHMARK(BM_ReaderTurn)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    const auto app = startWebEngine(argc, argv);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
