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

// The name of the application that a package laid out under id in applicationFolder: the Name of
// its desktop entry. Empty where it has none.
QString packagedAppName(const QString &applicationFolder, const QString &id);

// Each user's folders of the program: for data, which stands for drive "c:", and for settings. A
// book installed as a package of its own has its own, named by its id (~/.local/share/ID,
// ~/.config/ID), so that each book's per-user files are removed alone; the program anywhere else
// has the user's data folder itself and ~/.config/tavlo.
// setOwnUserFolders() needs the application object.
void setOwnUserFolders(const QString &id);
QString userDataFolder();
QString userConfigFolder();

} // namespace platform
