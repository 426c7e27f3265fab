#pragma once

#include "pagetable.h"

#include <QByteArray>
#include <QString>

namespace platform {
class FileSystem;
}

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

// Reads the book file beside the program (applicationFolder followed by kBookFileName) whole, with
// one read of its full size, and cuts it into title and page table. A missing, unreadable or empty
// file, a file without a page section and an empty page section throw platform::Failure whose
// description names the file and the defect: 53 missing, 62 empty, 9 no or empty page section, else
// the number that the file system reported (70 for a file that can't be read).
Book loadBook(platform::FileSystem &fileSystem, const QString &applicationFolder);

// The same for a book file of any name, given in the program's form (see platform::toHostPath).
Book loadBookFile(platform::FileSystem &fileSystem, const QString &fileName);

// Cuts the text of a book file; fileName only serves the descriptions of failures. Empty text fails
// with 62, text without a page section or with an empty one with 9. The page table keeps text itself,
// so nothing of the book is copied.
Book parseBook(QByteArray text, const QString &fileName);

} // namespace book
