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

FileCopier::FileCopier(std::vector<std::pair<QString, QString>> files) : files_(std::move(files))
{
    thread_ = std::thread([this] {
        QSet<QString> folders;
        for (const auto &[source, target] : files_) {
            if (stopping_)
                return;
            const QString folder = target.first(target.lastIndexOf(u'/'));
            if (!folders.contains(folder)) {
                QDir().mkpath(folder);
                folders.insert(folder);
            }
            if (const QString error = copyFile(source, target); !error.isEmpty()) {
                error_ = QStringLiteral("%1: can't be copied to %2: %3").arg(source, target, error);
                return;
            }
        }
    });
}

FileCopier::~FileCopier()
{
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
}

void FileCopier::finish()
{
    thread_.join();
    if (!error_.isEmpty())
        throw Refusal({error_});
}
