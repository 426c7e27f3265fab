#pragma once

#include "book/bookformat.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

// A book file written as its pages come: written on a thread of its own while the next page is made,
// and never held whole, as a site's pages may come to gigabytes.
class BookStream {
public:
    // Begins path with the title; a Refusal when it can't be written.
    BookStream(const QString &path, book::TextForm form, QStringView title);
    ~BookStream();

    BookStream(const BookStream &) = delete;
    BookStream &operator=(const BookStream &) = delete;

    // html already as the book's form holds page text (book::BookEncoder::pageText()).
    void addPage(QString name, QByteArray html);

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
    std::deque<std::pair<QString, QByteArray>> queue_;
    qsizetype queuedBytes_ = 0;
    bool finishing_ = false;
    QString error_; // the first failure; the rest is not written
    qsizetype written_ = 0;
    std::thread thread_;
};
