#pragma once

#include "book/pagetable.h"
#include "book/pagetext.h"

#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace book {

// A page whose text holds what was looked for.
struct PageMatch {
    qsizetype page = -1;      // its index in the page table
    QString name;             // field 0 of its record, as written
    qsizetype hits = 0;       // how often the text holds the query (see PageFinder::hits)
    QString excerpt;          // the text around the first hit (see PageFinder::excerpt)
    qsizetype hitOffset = -1; // where the first hit begins in excerpt
    qsizetype hitLength = 0;  // and its length
    bool cutBefore = false;   // the page's text goes on before the excerpt, which begins with a word
    bool cutAfter = false;    // and after it, where it ends with a word
};

// Page i, when its text holds the query, with the excerpt at word boundaries. Records without page HTML (no "##", which
// blank and empty records lack too) hold nothing; only field 1 of a record is searched, as only it is shown.
std::optional<PageMatch> matchPage(const PageTable &pages, qsizetype i, const PageFinder &finder);

// Searches every page, telling found of the pages that hold the query in book order, always from the
// calling thread. threads (at least 1, the calling one among them) share the pages in runs of a few;
// found gets the pages of a run together, once every page before them is searched. Stops between
// pages once cancelled is set, telling nothing more, and then gives false; true when every page was
// searched.
using FoundPages = std::function<void(std::vector<PageMatch> &&)>;
bool searchBook(const PageTable &pages, const PageFinder &finder, const FoundPages &found,
                const std::atomic<bool> &cancelled, int threads = 1);

// Searches the whole book off the calling thread, which must run an event loop: found() comes for each
// page that holds the query, in book order, while the search runs, then finished(). A new search, or
// cancel(), ends the one that runs: nothing of it is told after that, though its thread may still be
// ending. Destroying the object waits for every thread it started.
class BookSearch : public QObject {
    Q_OBJECT
    // How long the pages found are told at a time before the thread's other events come in.
    static constexpr std::chrono::milliseconds kTellingSlice{8};

public:
    explicit BookSearch(QObject *parent = nullptr);
    ~BookSearch() override;

    // Searches a copy of pages (the book's text itself is shared, not copied). An empty query finds
    // nothing: finished() comes without any found().
    void start(const PageTable &pages, const QString &query, Qt::CaseSensitivity cs);
    void cancel();
    // True from start() until finished() or cancel().
    bool isRunning() const { return running_; }

    // How many threads search; QThread::idealThreadCount() unless set.
    void setThreadCount(int threads);
    int threadCount() const { return threads_; }

signals:
    void found(const book::PageMatch &match);
    void finished();

private:
    struct Run;
    void deliver(Run *run, quint64 generation);
    void tellPending(quint64 generation);
    void endRuns(bool wait);

    std::vector<std::unique_ptr<Run>> runs_; // the current one last; cancelled ones until they end
    std::deque<PageMatch> pending_;          // taken from the current run, not told yet
    bool telling_ = false;                   // a slice of telling them is on its way
    bool complete_ = false;                  // the current run has searched every page
    quint64 generation_ = 0;                 // of the current search; told results carry theirs
    bool running_ = false;
    int threads_;
};

} // namespace book

Q_DECLARE_METATYPE(book::PageMatch)
