#pragma once

#include <QString>

namespace platform {

// The program's application folder, without a trailing separator; the root keeps its "/": the folder
// that holds its executable, or, when it was started through symbolic links that lead to it, the
// folder of the last of those links that has the executable's own name (a book's /usr/lib/ID/pellomare
// leading to the runtime's reader). Read afresh on each call.
QString applicationFolder();

// The id under which a package laid the application folder out, as tavlo-book package lays a book's
// out: the folder's name, when the desktop entry of that name is installed beside it
// (/usr/lib/ID and /usr/share/applications/ID.desktop). Empty for a folder no package laid out so.
QString packagedAppId(const QString &applicationFolder);

} // namespace platform
