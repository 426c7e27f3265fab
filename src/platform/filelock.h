#pragma once

#include <QString>

#include <chrono>

namespace platform {

// An exclusive lock shared by every process of this user that takes the same lock file, held
// while the object lives. The lock file is opened without following a symbolic link and without
// waiting on what stands in its place; anything but a regular file there is no lock.
class FileLock {
public:
    // Tries for up to patience; locked() says whether it was had.
    FileLock(const QString &lockFile, std::chrono::milliseconds patience);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool locked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace platform
