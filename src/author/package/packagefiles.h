#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The author's files of a book's application folder, as a package ships them.
struct ShippedFile {
    QString name;   // relative to the application folder
    QString source; // the regular file to copy: the file itself, or what a link inside leads to
};

struct ShippedFiles {
    QList<ShippedFile> files;
    QStringList leftOut; // "FILE: left out: WHY", one for each file or folder not shipped
};

// Every regular file inside appFolder, by the rule pack takes pages by: once symbolic links are
// resolved it lies inside the folder. Hidden files and folders, devices, named pipes, sockets, links
// to folders or to nothing, Debian packages and the output folder outDir are left out, each named,
// and never read. A link that leads out of the folder is refused, with its path and where it leads.
ShippedFiles shippedFiles(const QString &appFolder, const QString &outDir);

// Copies the regular file from to to, a piece at a time, so that a file of any size takes little
// memory; a Refusal names a file that is no regular file or can't be read or written.
void copyStream(const QString &from, const QString &to);
