#pragma once

#include <QHash>
#include <QString>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Work on the files an import is about to need, done ahead on the other cores: reading, decoding
// and cutting a page cost more than everything the import does with it after. The work must touch
// nothing but its path and what it gives back.
//
// Paths asked for ahead are begun newest first, as a walk through links wants the pages of the page
// it has just read next. A path that no thread has begun when it is taken is worked on by the taker
// at once, so a wrong guess costs nothing but the guess. The results that wait to be taken weigh at
// most `most` together, each as `weigh` tells for its path (1 unless told; asked on the thread that
// asks for the path ahead), but one waits however much it weighs: a thread can then work on past a big
// page that the taker waits for.
template <typename Result> class Prefetch {
public:
    using Work = std::function<Result(const QString &path)>;
    using Weigh = std::function<qsizetype(const QString &path)>;

    Prefetch(Work work, int threads, qsizetype most, Weigh weigh = {})
        : work_(std::move(work)), weigh_(std::move(weigh)), most_(most)
    {
        for (int i = 0; i < threads; ++i)
            threads_.emplace_back([this] { serve(); });
    }

    ~Prefetch()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        workable_.notify_all();
        for (std::thread &thread : threads_)
            thread.join();
    }

    Prefetch(const Prefetch &) = delete;
    Prefetch &operator=(const Prefetch &) = delete;

    // paths will be taken soon, the first first; each once only, until it is. A path that weighs
    // more than the paths before it give each thread is begun before them, the heaviest of those
    // first: begun in its turn, it would be worked on alone at the end while the taker waits for it
    // (a manual's one-page edition).
    void ahead(const std::vector<QString> &paths)
    {
        std::vector<std::pair<const QString *, qsizetype>> heavy;
        std::vector<std::pair<const QString *, qsizetype>> rest;
        qsizetype before = 0;
        for (const QString &path : paths) {
            const qsizetype weight = weigh_ ? weigh_(path) : 1;
            (weight * qsizetype(threads_.size()) > before ? heavy : rest).emplace_back(&path, weight);
            before += weight;
        }
        std::stable_sort(heavy.begin(), heavy.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
        heavy.insert(heavy.end(), rest.begin(), rest.end());
        bool added = false;
        {
            const std::lock_guard lock(mutex_);
            for (size_t at = heavy.size(); at-- > 0;) {
                const auto &[path, weight] = heavy[at];
                if (entries_.contains(*path))
                    continue;
                entries_.insert(*path, {State::Waiting, weight, {}});
                stack_.push_back(*path);
                added = true;
            }
        }
        if (added) // a walk asks again for most of what it asked for: each waking costs the kernel's time
            workable_.notify_all();
    }

    // The work's result for path.
    Result take(const QString &path)
    {
        std::unique_lock lock(mutex_);
        auto entry = entries_.find(path);
        if (entry == entries_.end() || entry->state == State::Waiting) {
            if (entry != entries_.end())
                entries_.erase(entry); // left on the stack: serve() passes over it
            lock.unlock();
            return work_(path);
        }
        awaited_ = &path;
        done_.wait(lock, [&] {
            entry = entries_.find(path);
            return entry->state == State::Done;
        });
        awaited_ = nullptr;
        Result result = std::move(*entry->result);
        held_ -= entry->weight;
        entries_.erase(entry);
        // The threads waiting for room are woken once there is room for several results, not for
        // each one taken.
        const bool room = held_ <= most_ / 2;
        lock.unlock();
        if (room)
            workable_.notify_all();
        return result;
    }

private:
    enum class State { Waiting, Working, Done };
    struct Entry {
        State state = State::Waiting;
        qsizetype weight = 0; // as weighed when asked for; counted in held_ from when its work begins
        std::optional<Result> result;
    };

    void serve()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            workable_.wait(lock, [&] {
                if (stopping_)
                    return true;
                // Paths taken meanwhile, or asked for again after they were, are passed over.
                while (!stack_.empty()) {
                    const auto next = entries_.constFind(stack_.back());
                    if (next != entries_.constEnd() && next->state == State::Waiting)
                        return held_ == 0 || held_ + next->weight <= most_;
                    stack_.pop_back();
                }
                return false;
            });
            if (stopping_)
                return;
            const QString path = std::move(stack_.back());
            stack_.pop_back();
            const auto entry = entries_.find(path);
            entry->state = State::Working;
            held_ += entry->weight; // counted from now, so that threads together never hold more than most_
            lock.unlock();
            Result result = work_(path);
            lock.lock();
            const auto done = entries_.find(path);
            done->result.emplace(std::move(result));
            done->state = State::Done;
            // The taker is woken for the result it waits for only, after the lock is let go, so that it
            // need not wait for it.
            if (awaited_ && *awaited_ == path) {
                lock.unlock();
                done_.notify_all();
                lock.lock();
            }
        }
    }

    Work work_;
    Weigh weigh_;
    qsizetype most_;
    std::mutex mutex_;
    // Apart, so that a result done wakes no thread that waits for work, and room made no taker: a
    // site has tens of thousands of pages, and each waking costs the kernel's time.
    std::condition_variable workable_; // work to begin, room to hold its result, or stopping
    std::condition_variable done_;     // a result done
    const QString *awaited_ = nullptr; // the path whose result the taker waits for
    QHash<QString, Entry> entries_;
    std::vector<QString> stack_;
    qsizetype held_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
