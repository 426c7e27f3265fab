#pragma once

#include <QString>

namespace platform {

// The folder that holds the running program's executable, without a trailing separator; the root
// keeps its "/". Read afresh on each call.
QString applicationFolder();

// The id under which a package laid the application folder out, as tavlo-book package lays a book's
// out: the folder's name, when the desktop entry of that name is installed beside it
// (/usr/lib/ID and /usr/share/applications/ID.desktop). Empty for a folder no package laid out so.
QString packagedAppId(const QString &applicationFolder);

} // namespace platform
