#pragma once

#include <QString>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

// Copies a file's bytes into a new file, in the kernel where it can. Unlike QFile::copy() it doesn't
// flush each copy to disk: thousands of pictures would wait on the disk one by one, and the book
// folder only counts once it is renamed into place. Gives the error in words, empty on success.
QString copyFile(const QString &from, const QString &to);

// Files copied on a thread of their own, their folders made as needed, while the import goes on:
// a site's thousands of files cost the kernel as much as its pages cost us.
class FileCopier {
public:
    // Each pair: the source, and the copy to make.
    explicit FileCopier(std::vector<std::pair<QString, QString>> files);
    ~FileCopier();

    FileCopier(const FileCopier &) = delete;
    FileCopier &operator=(const FileCopier &) = delete;

    // Waits for the copies; a Refusal naming the first that failed.
    void finish();

private:
    std::vector<std::pair<QString, QString>> files_;
    QString error_;
    std::atomic<bool> stopping_ = false; // the import failed: no more copies
    std::thread thread_;
};
