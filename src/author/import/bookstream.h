#pragma once

#include "book/bookformat.h"

#include <QFile>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

// A book file written as its pages come: encoded and written on a thread of its own while the next
// page is made, and never held whole, as a site's pages may come to gigabytes.
class BookStream {
public:
    // Begins path with the title; a Refusal when it can't be written.
    BookStream(const QString &path, book::TextForm form, QStringView title);
    ~BookStream();

    BookStream(const BookStream &) = delete;
    BookStream &operator=(const BookStream &) = delete;

    void addPage(QString name, QString html);

    // Waits for the pages to be written and closes the file; gives its size. A Refusal naming the
    // file when a write failed.
    qsizetype finish();

private:
    void serve();
    void write(const QByteArray &bytes);

    QFile file_;
    book::BookEncoder encoder_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<QString, QString>> queue_;
    qsizetype queuedCharacters_ = 0;
    bool finishing_ = false;
    QString error_; // the first failure; the rest is not written
    qsizetype written_ = 0;
    std::thread thread_;
};
