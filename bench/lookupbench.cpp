// A link click on a book of 200,000 pages: the page index against the plain search of every record,
// in the same run. Building the index, once per program run at the first click, is measured too.

#include "../tests/support/plainsearch.h"

#include "book/bookfile.h"
#include "book/pageindex.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using support::plainSearch;

constexpr int kPages = 200'000;

const book::PageTable &pages()
{
    static const book::PageTable table = [] {
        QByteArray text = "Big<<$$>>";
        text.reserve(qsizetype(kPages) * 80);
        for (int i = 0; i < kPages; ++i) {
            if (i)
                text += '~';
            text += " Page " + QByteArray::number(i) + " ##<p>page " + QByteArray::number(i) + "</p>";
        }
        return book::parseBook(text, QStringLiteral("big.tavlo")).pages;
    }();
    return table;
}

// Links to pages spread over the whole book, written in another case and with spaces.
QString randomLink(std::mt19937 &random)
{
    return QStringLiteral("  pAGE %1").arg(random() % kPages);
}

void BM_LinkLookupIndex(benchmark::State &state)
{
    const book::PageIndex index(pages());
    std::mt19937 random(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(index.find(randomLink(random)));
}
BENCHMARK(BM_LinkLookupIndex)->Unit(benchmark::kMicrosecond);

void BM_LinkLookupLinear(benchmark::State &state)
{
    std::mt19937 random(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(plainSearch(pages(), randomLink(random)));
}
BENCHMARK(BM_LinkLookupLinear)->Unit(benchmark::kMicrosecond);

void BM_BuildPageIndex(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(book::PageIndex(pages()));
}
BENCHMARK(BM_BuildPageIndex)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
