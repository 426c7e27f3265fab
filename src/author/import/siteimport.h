#pragma once

#include "author/pagerewrite.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// A web site's folder of linked HTML pages made a ready-to-ship application folder: the book, its
// pictures and the files its pages use.

struct SiteImportRequest {
    QString site;       // the folder of linked HTML pages
    QString out;        // the folder to write
    QStringList starts; // the pages to start from; index.html when none
    QString title;      // the book's title, when titleGiven; else the start page's
    bool titleGiven = false;
    bool force = false;       // an existing out is replaced
    bool all = false;         // every HTML file of the site, not only those the starts reach
    bool followLinks = false; // files outside the site that symbolic links lead to are copied
    // The walk drafts the pages it reads, up to this many bytes of page files, held until the pages are
    // named; the pages after them it reads for their links alone, and they are read again to be drafted.
    // The drafts held take one to two times their files' size in fresh memory, whose first touch costs
    // more than reading the links again: enough for a manual of several hundred pages.
    qint64 mostBytesDraftedByWalk = qint64(32) << 20;
};

// A reference that was left as written, and why; grouped by what it names.
struct LeftReference {
    QString target;  // the file it names, relative to the site, or the reference as written
    QString problem; // "no such file", "outside the site"
    QString firstFile;
    int firstLine = 0;
    qsizetype count = 0;
    bool siteLacks = false; // the site lacks it itself, as the record beside the book says
};

// A file outside the site that symbolic links lead to, left out without --follow-links.
struct LeftOutFile {
    QString target; // the real file
    QString firstFile;
    int firstLine = 0;
    qsizetype count = 0;
};

struct ImportTotals {
    qsizetype pageLinks = 0;    // links pointed at a page's name
    qsizetype fileLinks = 0;    // links pointed at a copied file that is no page
    qsizetype pictures = 0;     // picture files copied into images/
    qsizetype files = 0;        // other files copied keeping their path
    qsizetype unnamedFiles = 0; // of those, the files that no page or style sheet names
    qsizetype asideFiles = 0;
    TextChanges text;
};

// What an import wrote and what it left, for the report.
struct ImportReport {
    struct Page {
        QString name; // in the book
        QString path; // in the site
    };
    QString bookFile;
    QString title;
    std::vector<Page> pages; // in book order
    ImportTotals totals;
    std::vector<std::pair<QString, QString>> notes; // file, what was changed of it
    std::vector<LeftReference> left;
    std::vector<std::pair<QString, LeftOutFile>> leftOut; // by the site's file
    std::vector<std::pair<QString, QString>> fromOutside; // copied file, where it came from
    QStringList notTaken;                                 // HTML files of the site no start reaches
    qsizetype bookBytes = 0;
    bool followLinks = false;

    // The references left as written.
    qsizetype leftCount() const;
};

// Imports request.site into request.out, which only then replaces what was there; a Refusal, with
// nothing written, for a site or an out it can't take.
ImportReport importSite(const SiteImportRequest &request);
