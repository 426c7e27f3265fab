#pragma once

#include <QHash>
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
    explicit FileCopier(int threads); // and the one that calls finish(), while it waits
    ~FileCopier();

    FileCopier(const FileCopier &) = delete;
    FileCopier &operator=(const FileCopier &) = delete;

    // Copies source to target, a file that no other copy makes.
    void add(QString source, QString target);

    // Waits for the copies; a Refusal naming the first that failed.
    void finish();

private:
    void serve();
    // Makes the first copy waiting in a folder no other thread makes one in, under lock; false when
    // there is none near.
    bool copyOne(std::unique_lock<std::mutex> &lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    struct Copy {
        QString source;
        QString target;
        QString folder; // the target's
    };
    std::deque<Copy> queue_;
    QSet<QString> folders_;      // made already
    QHash<QString, int> making_; // folders that copies are being made in, and how many
    int busy_ = 0;               // copies under way
    bool finishing_ = false;
    QString error_;
    std::vector<std::thread> threads_;
};
