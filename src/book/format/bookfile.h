#pragma once

#include "pagetable.h"

#include <QByteArray>
#include <QString>

#include <future>
#include <memory>

namespace book {

// The book file's name, joined to the application folder.
inline constexpr char kBookFileName[] = "\\tessavanetavlo.tavlo";

struct Book {
    QString title;   // every character before the first "<<$$>>"
    PageTable pages; // the page section cut at every "~"
    // The length of what the reader ignores: a second "<<$$>>" and everything after it; 0 when the
    // page section runs to the end of the file.
    qsizetype ignoredLength = 0;
};

// Reads the book file at path (a path of this machine) once, mapped into memory rather than copied,
// and cuts it into title and page table, which reads its pages from that one mapping. Only a regular
// file is read. A missing, unreadable or empty file, a file without a page section and an empty page
// section throw platform::Failure whose description names the file and the defect: 53 missing, 62
// empty, 9 no or empty page section, else the number that the file system reported (70 for a file
// that can't be read, 75 for one that is no regular file).
Book loadBookFile(const QString &path);

// Cuts the text of a book file; fileName only serves the descriptions of failures. Empty text fails
// with 62, text without a page section or with an empty one with 9. The page table keeps text itself,
// so nothing of the book is copied; owner keeps text's bytes where text doesn't own them
// (QByteArray::fromRawData).
Book parseBook(QByteArray text, const QString &fileName, std::shared_ptr<const void> owner = {});

// The path on this machine of the book file in applicationFolder.
QString bookFileIn(const QString &applicationFolder);

// The book file at a path, read on a thread of its own from the moment this is made, so that the
// program makes its window meanwhile. take(path) gives what loadBookFile(path) gives: that reading
// once, when it is of the same path and succeeded; otherwise it reads the file there and then, so
// that a failure is described as the program described it without reading ahead.
class BookLoad {
public:
    explicit BookLoad(QString path);
    Book take(const QString &path);

private:
    QString path_;
    std::future<Book> reading_;
};

} // namespace book
