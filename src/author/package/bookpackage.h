#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// A book's application folder made a Debian package of its own, which the runtime's reader shows.

// What the author asks of the package; an option not given takes its default.
struct PackageRequest {
    QString appFolder;
    QString outDir; // where the .deb is written
    QString id;     // reverse-DNS, as org.example.MyBook
    QString name;
    std::optional<QString> packageName; // default: of the id
    std::optional<QString> command;     // default: of the id
    std::optional<QString> version;     // default: 1.0
    std::optional<QString> summary;     // default: "Read the book NAME"
    QString icon;                       // a PNG or an SVG file; empty: the reader's own
    std::optional<QString> license;     // SPDX; default: LicenseRef-proprietary
    QString copyright;                  // a file of copyright lines and licence terms
    QString maintainer;                 // "Name <mail>"; empty: $DEBFULLNAME <$DEBEMAIL>
    QString description;                // a file of the description's paragraphs
    QString homepage;
    std::optional<QString> categories; // the menu's, as "A;B"; default: Education;Literature
    bool allowMissing = false;         // dead links, missing pictures and files let through
};

struct BuiltPackage {
    QString debFile;
    QString bookFile;    // the book packaged
    QString letThrough;  // the errors allowMissing let through, as "3 dead-link, 1 missing-file"
    QStringList leftOut; // "FILE: left out: WHY", each file of the application folder not shipped
};

// Checks everything the package would say, the book as check checks it, and builds the package:
// a Refusal with every problem found, and nothing in outDir, when it would be broken. Interrupted
// when a signal comes under an InterruptGuard.
BuiltPackage buildPackage(const PackageRequest &request);

// A character that would end or break a line of the control file, the changelog, the copyright file
// or the desktop entry: C0 and C1 controls, and Unicode's line and paragraph separators. No value of
// the request may hold one.
bool hasControlCharacter(const QString &text);
