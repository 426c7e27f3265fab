#pragma once

#include <QString>

// The names a book's package takes on the machine it installs on: the Debian package name and the
// command. Both come from the book's id, so that they stay when the book's name changes, and neither
// may be a name that the machine, or Debian's base system, already gives to something else.
namespace packagenames {

// The id as a Debian package name: "org.example.My_Book" gives "org.example.my-book".
QString packageOfId(const QString &id);

// The command of the id: its last part as a package name, "org.example.My_Book" gives "my-book".
QString commandOfId(const QString &id);

// Whether name is a name Debian takes for a package: two or more of [a-z0-9+.-], beginning with a
// letter or digit.
bool isDebianName(const QString &name);

// Why a package of that name would take what is not the book's: a package of Debian's base system,
// or one that this machine's dpkg or apt knows which is not the installed package of the same id.
// Empty when the name is free.
QString packageClash(const QString &package, const QString &id);

// The same for the command: a program on PATH, a file of another installed package at
// /usr/bin/COMMAND or its manual page, a package name dpkg or apt knows, or a base package's name.
QString commandClash(const QString &command, const QString &id);

} // namespace packagenames
