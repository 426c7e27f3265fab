#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

namespace platform {

// A file opened for reading as 8-bit text: one byte is one character.
class TextStream {
public:
    // file is open; path names it in failures.
    TextStream(std::unique_ptr<QFile> file, QString path);

    // The next count characters, or fewer at the end of the file. Reading at the end of the file
    // fails with "input past end of file" (62).
    QByteArray read(qint64 count);
    void close();

private:
    std::unique_ptr<QFile> file_;
    QString path_;
};

// Opens the file at path (a path of this machine) for reading, only if it is a regular file: a named
// pipe, a socket, a device or a folder fails at once (75, 70), without waiting on it, as does a file
// that is missing (53) or can't be read (70). The file it gives has no file name of its own.
std::unique_ptr<QFile> openRegularFile(const QString &path);

// What the file at path (a path of this machine, symbolic links followed) is, in words, as the
// failures above name it: "a folder", "a named pipe", "a socket", "a character device", ...
QString kindOfFile(const QString &path);

// The program's file and folder services. Every name is in the program's own form and goes through
// toHostPath(). An operation that can't be carried out throws Failure, naming the file.
class FileSystem {
public:
    bool fileExists(const QString &name) const;
    bool folderExists(const QString &name) const;

    // Creates that one folder; its parent must exist.
    void createFolder(const QString &name) const;

    // Copies source into the folder destination (a name ending in a separator) under the source's
    // own file name, exactly as it is written. With overwrite, a file of that name is replaced; a write-protected one
    // is not. The copy is written beside its destination and then renamed over it, so a program that has the old file
    // open or loaded keeps a whole file.
    void copyFile(const QString &source, const QString &destination, bool overwrite) const;

    // Opens a file for reading as 8-bit text. A missing file is a failure; it is never created.
    TextStream openTextFile(const QString &name) const;

    // The size of the file in bytes.
    qint64 fileSize(const QString &name) const;
};

} // namespace platform
