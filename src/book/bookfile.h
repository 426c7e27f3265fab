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
};

// Reads the book file beside the program (applicationFolder followed by kBookFileName) whole, with
// one read of its full size, and cuts it into title and page table. A missing, unreadable or empty
// file, a file without a page section and an empty page section throw platform::Failure whose
// description names the file and the defect.
Book loadBook(platform::FileSystem &fileSystem, const QString &applicationFolder);

// Cuts the text of a book file; fileName only serves the descriptions of failures.
Book parseBook(QByteArray text, const QString &fileName);

} // namespace book
