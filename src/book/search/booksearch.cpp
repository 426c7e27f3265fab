#include "booksearch.h"

#include "book/bookformat.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <thread>

namespace book {
namespace {

// The pages that a thread takes at a time: few enough that the first pages are told soon, enough that
// the threads seldom meet at the counter.
constexpr qsizetype kRunPages = 32;

struct PageRun {
    std::vector<PageMatch> matches;
    std::atomic<bool> searched{false}; // set once every page of the run is searched
};

} // namespace

std::optional<PageMatch> matchPage(const PageTable &pages, qsizetype i, const PageFinder &finder)
{
    const QByteArrayView record = pages.recordBytes(i);
    const qsizetype separator = findFieldSeparator(record, 0);
    if (separator < 0)
        return std::nullopt;
    // The code page is searched byte by byte; UTF-8 is decoded first.
    PageFinder::Hits hits = pages.form() == TextForm::Utf8
                                ? finder.hits(QStringView(pages.decode(recordField(record, 1))))
                                : finder.hits(recordField(record, 1));
    if (hits.count == 0)
        return std::nullopt;
    PageFinder::Excerpt excerpt = finder.atWordBoundaries(std::move(hits.excerpt));
    return PageMatch{i,
                     pages.decode(record.first(separator)),
                     hits.count,
                     std::move(excerpt.text),
                     excerpt.hitOffset,
                     finder.query().size(),
                     excerpt.cutBefore,
                     excerpt.cutAfter};
}

bool searchBook(const PageTable &pages, const PageFinder &finder, const FoundPages &found,
                const std::atomic<bool> &cancelled, int threads)
{
    if (finder.isEmpty())
        return !cancelled;
    const qsizetype runCount = (pages.size() + kRunPages - 1) / kRunPages;
    std::vector<PageRun> runs(static_cast<size_t>(runCount));
    std::atomic<qsizetype> nextRun{0};
    std::atomic<bool> stop{false}; // the calling thread is leaving early
    const auto ended = [&] {
        return cancelled.load(std::memory_order_relaxed) || stop.load(std::memory_order_relaxed);
    };

    // Searches the next run that no thread has taken; false when none is left.
    const auto searchRun = [&] {
        const qsizetype r = nextRun.fetch_add(1);
        if (r >= runCount)
            return false;
        PageRun &run = runs[size_t(r)];
        const qsizetype end = std::min(pages.size(), (r + 1) * kRunPages);
        for (qsizetype i = r * kRunPages; i < end; ++i) {
            if (ended())
                return false;
            if (std::optional<PageMatch> match = matchPage(pages, i, finder))
                run.matches.push_back(std::move(*match));
        }
        run.searched.store(true, std::memory_order_release);
        return true;
    };

    std::vector<std::thread> helpers;
    struct Join {
        std::vector<std::thread> &helpers;
        std::atomic<bool> &stop;
        ~Join()
        {
            stop = true;
            for (std::thread &helper : helpers)
                helper.join();
        }
    } join{helpers, stop};
    for (int t = 1; t < threads && t < runCount; ++t)
        helpers.emplace_back([&] {
            while (searchRun()) {
            }
        });

    // Tells the runs searched so far, in book order.
    qsizetype told = 0;
    const auto tell = [&] {
        while (told < runCount && !cancelled && runs[size_t(told)].searched.load(std::memory_order_acquire)) {
            if (!runs[size_t(told)].matches.empty())
                found(std::move(runs[size_t(told)].matches));
            ++told;
        }
    };
    while (searchRun())
        tell();
    for (std::thread &helper : helpers)
        helper.join();
    helpers.clear();
    tell();
    return told == runCount && !cancelled;
}

struct BookSearch::Run {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> ended{false};
    std::mutex mutex;
    std::vector<PageMatch> outbox; // found and not yet told; under mutex
    bool complete = false;         // every page searched; under mutex
    std::thread thread;
};

BookSearch::BookSearch(QObject *parent) : QObject(parent), threads_(std::max(1, QThread::idealThreadCount())) {}

BookSearch::~BookSearch()
{
    cancel();
    endRuns(true);
}

void BookSearch::setThreadCount(int threads)
{
    threads_ = std::max(1, threads);
}

void BookSearch::start(const PageTable &pages, const QString &query, Qt::CaseSensitivity cs)
{
    cancel();
    endRuns(false);
    const quint64 generation = ++generation_;
    running_ = true;

    auto run = std::make_unique<Run>();
    Run *r = run.get();
    // The thread leaves what it finds in the run's outbox and has it told on this object's thread by a
    // queued call, one at a time: while one waits, later pages join the same outbox, so a busy window
    // thread gets them in batches rather than as a flood of calls.
    const auto tell = [this, r, generation] {
        QMetaObject::invokeMethod(
            this, [this, r, generation] { deliver(r, generation); }, Qt::QueuedConnection);
    };
    r->thread = std::thread([r, tell, pages, query, cs, threads = threads_] {
        const PageFinder finder(query, cs);
        const bool complete = searchBook(
            pages, finder,
            [&](std::vector<PageMatch> &&matches) {
                bool waiting;
                {
                    const std::lock_guard lock(r->mutex);
                    waiting = !r->outbox.empty();
                    std::move(matches.begin(), matches.end(), std::back_inserter(r->outbox));
                }
                if (!waiting)
                    tell();
            },
            r->cancelled, threads);
        if (complete) {
            bool waiting;
            {
                const std::lock_guard lock(r->mutex);
                waiting = !r->outbox.empty();
                r->complete = true;
            }
            if (!waiting)
                tell();
        }
        r->ended = true;
    });
    runs_.push_back(std::move(run));
}

void BookSearch::deliver(Run *run, quint64 generation)
{
    // A run of an earlier search may be gone already; only the current one's is read.
    if (generation != generation_ || !running_)
        return;
    {
        const std::lock_guard lock(run->mutex);
        std::move(run->outbox.begin(), run->outbox.end(), std::back_inserter(pending_));
        run->outbox.clear();
        complete_ = run->complete;
    }
    if (!telling_)
        tellPending(generation);
}

void BookSearch::tellPending(quint64 generation)
{
    if (generation != generation_ || !running_)
        return;
    telling_ = false;
    // The pages found are told a slice of time at a time, by one chain of calls: what else waits on
    // this thread (a click, a page turn) comes between two slices, however many pages hold the words.
    QElapsedTimer slice;
    slice.start();
    while (!pending_.empty()) {
        const PageMatch match = std::move(pending_.front());
        pending_.pop_front();
        emit found(match);
        if (generation != generation_ || !running_)
            return; // a receiver cancelled the search, or started another
        if (!pending_.empty() && slice.elapsed() >= kTellingSlice.count()) {
            telling_ = true;
            QTimer::singleShot(0, this, [this, generation] { tellPending(generation); });
            return;
        }
    }
    if (complete_) {
        running_ = false;
        emit finished();
    }
}

void BookSearch::cancel()
{
    pending_.clear();
    telling_ = false;
    complete_ = false;
    for (const std::unique_ptr<Run> &run : runs_)
        run->cancelled = true;
    running_ = false;
}

void BookSearch::endRuns(bool wait)
{
    // A cancelled search ends at its next page; only those that have ended are joined, unless told to
    // wait, so that a new search never waits for an old one.
    std::erase_if(runs_, [wait](const std::unique_ptr<Run> &run) {
        if (!wait && !run->ended)
            return false;
        run->thread.join();
        return true;
    });
}

} // namespace book
