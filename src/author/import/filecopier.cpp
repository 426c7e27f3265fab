#include "author/filecopier.h"

#include "author/refusal.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

QString copyFile(const QString &from, const QString &to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    int error = 0;
    bool inKernel = true;
    for (;;) {
        const ssize_t copied = inKernel ? ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0) : 0;
        if (copied > 0)
            continue;
        if (copied == 0 && inKernel)
            break;
        if (inKernel && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            inKernel = false; // file systems that can't: byte by byte from where it stopped
            continue;
        }
        if (inKernel) {
            error = errno;
            break;
        }
        char buffer[65536];
        const ssize_t read = ::read(in, buffer, sizeof buffer);
        if (read <= 0) {
            error = read < 0 ? errno : 0;
            break;
        }
        if (::write(out, buffer, size_t(read)) != read) {
            error = errno ? errno : EIO;
            break;
        }
    }
    if (::close(out) != 0 && error == 0)
        error = errno;
    ::close(in);
    return error ? QString::fromLocal8Bit(std::strerror(error)) : QString();
}

namespace {
constexpr size_t kLookAhead = 64; // copies looked through for one in a folder no other thread is in
}

FileCopier::FileCopier(int threads)
{
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back([this] { serve(); });
}

FileCopier::~FileCopier()
{
    {
        const std::lock_guard lock(mutex_);
        queue_.clear(); // the import failed, or finished: no more copies
        finishing_ = true;
    }
    changed_.notify_all();
    for (std::thread &thread : threads_)
        thread.join();
}

void FileCopier::add(QString source, QString target)
{
    {
        const std::lock_guard lock(mutex_);
        QString folder = target.first(target.lastIndexOf(u'/'));
        queue_.push_back({std::move(source), std::move(target), std::move(folder)});
    }
    changed_.notify_one();
}

void FileCopier::finish()
{
    // The waiting thread copies too: what is left once the pages are written is all there is to do.
    std::unique_lock lock(mutex_);
    while (!queue_.empty() && error_.isEmpty()) {
        if (!copyOne(lock))
            changed_.wait(lock);
    }
    changed_.wait(lock, [&] { return busy_ == 0; });
    if (!error_.isEmpty())
        throw Refusal({error_});
}

void FileCopier::serve()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return finishing_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        if (!copyOne(lock))
            changed_.wait(lock);
    }
}

bool FileCopier::copyOne(std::unique_lock<std::mutex> &lock)
{
    // Files made at once in one folder wait for each other in the kernel, longer than one thread
    // takes to make them: each thread takes a folder of its own, or waits.
    const size_t window = std::min(queue_.size(), kLookAhead);
    size_t at = 0;
    while (at < window && making_.contains(queue_[at].folder))
        ++at;
    if (at == window)
        return false;
    const Copy copy = std::move(queue_[at]);
    queue_.erase(queue_.begin() + qsizetype(at));
    ++busy_;
    ++making_[copy.folder];
    const bool made = folders_.contains(copy.folder);
    lock.unlock();
    if (!made)
        QDir().mkpath(copy.folder); // two threads may both make it: the second finds it there
    const QString error = copyFile(copy.source, copy.target);
    lock.lock();
    folders_.insert(copy.folder);
    if (--making_[copy.folder] == 0)
        making_.remove(copy.folder);
    --busy_;
    if (!error.isEmpty() && error_.isEmpty()) {
        error_ = QStringLiteral("%1: can't be copied to %2: %3").arg(copy.source, copy.target, error);
        queue_.clear();
    }
    changed_.notify_all();
    return true;
}
