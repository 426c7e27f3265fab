#include "filelock.h"

#include <QFile>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileLock::FileLock(const QString &lockFile, std::chrono::milliseconds patience)
{
    const int fd = ::open(QFile::encodeName(lockFile).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return;
    }
    // Asked without blocking, so that a lock that another process never gives back costs this one
    // no more than its patience.
    constexpr std::chrono::milliseconds kStep{10};
    for (auto waited = std::chrono::milliseconds::zero();; waited += kStep) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return;
        }
        if (errno != EWOULDBLOCK || waited >= patience)
            break;
        QThread::msleep(kStep.count());
    }
    ::close(fd);
}

FileLock::~FileLock()
{
    if (fd_ >= 0)
        ::close(fd_); // gives the lock back
}

} // namespace platform
