#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QString>

namespace book {

// What the site a book was imported from lacks itself: the references of its pages and style sheets
// that name no file of the site, nor of the machine. Import writes it beside the book, and check tells
// those defects apart from ones the import made. It is read as untrusted input.
inline constexpr char kSiteLacksFileName[] = ".tavlo-site-lacks.json"; // hidden: not shipped by package
inline constexpr qsizetype kLargestSiteLacks = qsizetype(64) << 20;

struct SiteLacks {
    QHash<QString, QSet<QString>> pages;       // page name -> its references, as written, blanks around cut
    QHash<QString, QSet<QString>> styleSheets; // a style sheet's path in the application folder -> the same

    bool isEmpty() const { return pages.isEmpty() && styleSheets.isEmpty(); }
};

QByteArray writeSiteLacks(const SiteLacks &lacks);

// The record that bytes hold; empty, with problem said in words, when they hold none.
SiteLacks readSiteLacks(QByteArrayView bytes, QString *problem);

// The record beside the book file, if there is one: no file is no problem. A file that isn't a
// regular file, is larger than kLargestSiteLacks or can't be read gives an empty record and the
// problem, naming the file.
SiteLacks loadSiteLacks(const QString &bookFile, QString *problem);

} // namespace book
