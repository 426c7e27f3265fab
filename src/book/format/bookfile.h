#pragma once

#include "pagetable.h"

#include <QByteArray>
#include <QString>

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

} // namespace book
