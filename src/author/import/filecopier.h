#pragma once

#include <QSet>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Copies a file's bytes into a new file, in the kernel where it can. Unlike QFile::copy() it doesn't
// flush each copy to disk: thousands of pictures would wait on the disk one by one, and the book
// folder only counts once it is renamed into place. Gives the error in words, empty on success.
QString copyFile(const QString &from, const QString &to);

// Files copied on threads of their own, their folders made as needed, while the import goes on:
// a site's thousands of files cost the kernel as much as its pages cost us.
class FileCopier {
public:
    explicit FileCopier(int threads);
    ~FileCopier();

    FileCopier(const FileCopier &) = delete;
    FileCopier &operator=(const FileCopier &) = delete;

    // Copies source to target, a file that no other copy makes.
    void add(QString source, QString target);

    // Waits for the copies; a Refusal naming the first that failed.
    void finish();

private:
    void serve();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<QString, QString>> queue_; // source, target
    QSet<QString> folders_;                         // made already
    int busy_ = 0;                                  // copies under way
    bool finishing_ = false;
    QString error_;
    std::vector<std::thread> threads_;
};
