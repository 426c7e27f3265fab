#pragma once

#include <QString>
#include <QStringView>

namespace platform {

// The file of the application folder that a page refers to by URL path, as the page view serves
// it. The path is decoded, with "/" or "\" between names. A path that begins with the application
// folder's own path (as the pictures that the program points into its images folder do) names that
// file; any other is taken from the application folder, as a relative URL of a page resolves. Names
// are looked up as the program looks up every name (letter case aside where the exact name does not
// exist).
//
// Served is only a regular file that lies inside the application folder once "..", symbolic links
// and letter case are resolved, and that is no book file ("*.tavlo", which holds every page and is
// the program's to read). Anything else is refused, with the reason.
struct ApplicationFile {
    enum class Refusal { None, NotFound, Outside, NotAFile, BookFile };
    QString path; // the canonical path of the file to serve; empty when refused
    Refusal refusal = Refusal::None;
};
ApplicationFile applicationFile(const QString &applicationFolder, QStringView urlPath);

// The file that a page whose name lies in pageFolder (its folders with a "/" after them; empty for a
// page at the root) names by urlPath, resolved as a browser resolves it: as applicationFile() gives
// it, and where that finds nothing under pageFolder, the same path from the application folder's
// root, where books written before their pages had folders of their own have their files.
ApplicationFile pageFile(const QString &applicationFolder, QStringView urlPath, QStringView pageFolder);

// The rule applicationFile() serves by, for a path of this machine as it is written: the regular file
// at path when it lies inside folder once ".." and symbolic links are resolved (a link that stays
// inside is followed), or why not. No letter case is looked up and no file kind is refused beyond
// what is no regular file.
ApplicationFile fileInsideFolder(const QString &folder, const QString &path);

} // namespace platform
