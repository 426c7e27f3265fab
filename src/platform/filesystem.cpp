#include "filesystem.h"

#include "failure.h"
#include "hostpath.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QString quoted(const QString &name)
{
    return u'"' + name + u'"';
}

[[noreturn]] void failToOpen(const QString &path, const QString &what)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw Failure(error::FileNotFound, QStringLiteral("File not found: %1 %2").arg(quoted(path), what));
    throw Failure(error::PermissionDenied, QStringLiteral("Permission denied: %1 can't be read").arg(quoted(path)));
}

// What a file that is not a regular file is, in words.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    return QStringLiteral("not a file");
}

} // namespace

TextStream::TextStream(std::unique_ptr<QFile> file, QString path) : file_(std::move(file)), path_(std::move(path)) {}

QByteArray TextStream::read(qint64 count)
{
    if (!file_ || !file_->isOpen())
        throw Failure(error::InputPastEndOfFile, QStringLiteral("Input past end of file: the file is closed"));
    if (file_->atEnd())
        throw Failure(error::InputPastEndOfFile,
                      QStringLiteral("Input past end of file: %1 has nothing more to read").arg(quoted(path_)));
    QByteArray bytes = file_->read(count);
    if (bytes.isNull() && file_->error() != QFileDevice::NoError)
        throw Failure(
            error::PermissionDenied,
            QStringLiteral("Device I/O error: %1 can't be read: %2").arg(quoted(path_), file_->errorString()));
    return bytes;
}

void TextStream::close()
{
    if (file_)
        file_->close();
}

bool FileSystem::fileExists(const QString &name) const
{
    const QString path = toHostPath(name);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool FileSystem::folderExists(const QString &name) const
{
    const QString path = toHostPath(name);
    return !path.isEmpty() && QFileInfo(path).isDir();
}

void FileSystem::createFolder(const QString &name) const
{
    const QString path = hostPath(name);
    const QFileInfo info(path);
    if (info.exists())
        throw Failure(error::FileAlreadyExists, QStringLiteral("File already exists: %1").arg(quoted(path)));
    if (!QFileInfo(info.absolutePath()).isDir())
        throw Failure(error::PathNotFound,
                      QStringLiteral("Path not found: the folder that would hold %1 does not exist").arg(quoted(path)));
    if (!QDir().mkdir(path))
        throw Failure(error::PermissionDenied,
                      QStringLiteral("Permission denied: the folder %1 can't be created").arg(quoted(path)));
}

void FileSystem::copyFile(const QString &source, const QString &destination, bool overwrite) const
{
    const QString from = hostPath(source);
    if (!QFileInfo(from).isFile())
        throw Failure(error::FileNotFound, QStringLiteral("File not found: %1").arg(quoted(from)));
    const QString folder = hostPath(destination);
    if (!QFileInfo(folder).isDir())
        throw Failure(error::PathNotFound,
                      QStringLiteral("Path not found: the folder %1 does not exist").arg(quoted(folder)));

    // The copy keeps its source's name exactly: an entry whose name differs only in letter case is
    // another file, left as it is (the program loads what it installed by that exact name).
    const QString to = QDir(folder).filePath(QFileInfo(from).fileName());
    const QFileInfo target(to);
    if (target.exists()) {
        if (!overwrite)
            throw Failure(error::FileAlreadyExists, QStringLiteral("File already exists: %1").arg(quoted(to)));
        // A file without its owner's write bit is write-protected even for the superuser, as a
        // read-only file is on the file systems the program was written for.
        const bool writeProtected = !(target.permissions() & QFileDevice::WriteOwner) || !target.isWritable();
        if (target.isDir() || writeProtected)
            throw Failure(error::PermissionDenied,
                          QStringLiteral("Permission denied: %1 is write-protected").arg(quoted(to)));
    }

    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(from, partial)) {
        QFile::remove(partial);
        throw Failure(error::PermissionDenied,
                      QStringLiteral("Permission denied: %1 can't be copied to %2").arg(quoted(from), quoted(to)));
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(partial);
        throw Failure(error::PermissionDenied,
                      QStringLiteral("Permission denied: %1 can't be replaced").arg(quoted(to)));
    }
}

std::unique_ptr<QFile> openRegularFile(const QString &path)
{
    // Opened without waiting and looked at before anything is read: a named pipe, a device or a
    // socket in the file's place would otherwise block the program, or never end.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        failToOpen(path, QStringLiteral("does not exist"));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        if (S_ISDIR(status.st_mode))
            throw Failure(error::PermissionDenied,
                          QStringLiteral("Permission denied: %1 is a folder, not a file").arg(quoted(path)));
        throw Failure(error::PathFileAccess, QStringLiteral("Path/File access error: %1 is %2, not a regular file")
                                                 .arg(quoted(path), kindOf(status.st_mode)));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        failToOpen(path, QStringLiteral("does not exist"));
    }
    return file;
}

QString kindOfFile(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("missing");
    return S_ISREG(status.st_mode) ? QStringLiteral("a regular file") : kindOf(status.st_mode);
}

TextStream FileSystem::openTextFile(const QString &name) const
{
    const QString path = hostPath(name);
    return TextStream(openRegularFile(path), path);
}

qint64 FileSystem::fileSize(const QString &name) const
{
    const QString path = hostPath(name);
    const QFileInfo info(path);
    if (!info.isFile())
        throw Failure(error::FileNotFound, QStringLiteral("File not found: %1 does not exist").arg(quoted(path)));
    return info.size();
}

} // namespace platform
