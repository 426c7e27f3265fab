#pragma once

#include <QString>

// A book as a folder an author edits and back: the folder's book.txt holds the title on its first
// line, then one line per page in book order (the page name, a tab and the name of the page's UTF-8
// HTML file), a line of spaces only for a blank page. Both throw Refusal, with every problem found,
// before they write anything, and platform::Failure for a book that can't be read.

struct Packed {
    qsizetype pages;
    qsizetype bytes;
};

// Builds the book of folder and writes it to bookFile, replacing one that exists only when replace.
Packed packFolder(const QString &folder, const QString &bookFile, bool replace);

struct Unpacked {
    QString contentsPath; // the book.txt written
    qsizetype pages;
    qsizetype htmlFiles;
};

// Writes the book fileName as folder, into a folder that is not empty only when writeIntoNonEmpty;
// packing the folder gives back the book byte for byte.
Unpacked unpackBook(const QString &fileName, const QString &folder, bool writeIntoNonEmpty);
