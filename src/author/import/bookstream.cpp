#include "author/bookstream.h"

#include "author/refusal.h"

namespace {

// What may wait to be written: enough to keep the thread busy, little beside a big page.
constexpr qsizetype kMostQueuedBytes = qsizetype(32) << 20;
// What is written at once: the thread is woken for this much, not for each of a site's tens of
// thousands of small pages.
constexpr qsizetype kWrittenAtOnce = qsizetype(256) << 10;

} // namespace

BookStream::BookStream(const QString &path, book::TextForm form, QStringView title) : file_(path), encoder_(form)
{
    if (!file_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Refusal({QStringLiteral("%1: can't be written: %2").arg(path, file_.errorString())});
    write(encoder_.title(title));
    thread_ = std::thread([this] { serve(); });
}

BookStream::~BookStream()
{
    if (thread_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            finishing_ = true;
            queue_.clear();
        }
        changed_.notify_all();
        thread_.join();
    }
}

void BookStream::addPage(QString name, QByteArray html)
{
    std::unique_lock lock(mutex_);
    // One page at least waits, however big.
    changed_.wait(lock, [&] { return queue_.empty() || queuedBytes_ + html.size() <= kMostQueuedBytes; });
    queuedBytes_ += html.size();
    queue_.emplace_back(std::move(name), std::move(html));
    const bool enough = queuedBytes_ >= kWrittenAtOnce;
    lock.unlock();
    if (enough)
        changed_.notify_all();
}

qsizetype BookStream::finish()
{
    {
        const std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    thread_.join();
    file_.close();
    if (error_.isEmpty() && file_.error() != QFile::NoError)
        error_ = file_.errorString();
    if (!error_.isEmpty())
        throw Refusal({QStringLiteral("%1: can't be written: %2").arg(file_.fileName(), error_)});
    return written_;
}

void BookStream::serve()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        // Woken for a batch of pages (addPage()), it writes on while there are any.
        changed_.wait(lock, [&] { return finishing_ || !queue_.empty(); });
        if (queue_.empty())
            return; // finishing, and all written
        auto [name, html] = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        const qsizetype bytes = html.size();
        write(encoder_.pageHead(name));
        write(html);
        html = QByteArray(); // freed here, off the thread that makes pages
        lock.lock();
        queuedBytes_ -= bytes;
        changed_.notify_all();
    }
}

void BookStream::write(const QByteArray &bytes)
{
    if (!error_.isEmpty())
        return;
    if (file_.write(bytes) != bytes.size())
        error_ = file_.errorString();
    written_ += bytes.size();
}
