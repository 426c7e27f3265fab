#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

namespace platform {

// The bytes of a regular file, mapped read-only into memory instead of copied: only what is read
// takes memory, and that is the file's own, which the system may drop and read again. Where the file
// can't be mapped, it is read whole instead. Should the file shrink while it is mapped, what lay
// beyond its new end reads as zero bytes instead of ending the program (SIGBUS); a file changed in
// place reads as it is now.
class MappedFile {
public:
    // Opens the file at path as openRegularFile() does, with its failures.
    explicit MappedFile(const QString &path);
    ~MappedFile();
    Q_DISABLE_COPY_MOVE(MappedFile)

    QByteArrayView bytes() const { return {data_, size_}; }

private:
    const char *data_ = nullptr;
    qsizetype size_ = 0;
    bool mapped_ = false;
    QByteArray copy_; // where the file could not be mapped
};

// The file at path mapped, shared by whatever reads it for as long as any of them does.
std::shared_ptr<const MappedFile> mapRegularFile(const QString &path);

} // namespace platform
