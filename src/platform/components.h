#pragma once

#include "hostpath.h"

#include <QString>

class QObject;
#include <QStringList>

namespace platform {

// The component registry: which file provides each class. It lives in the user's config folder and
// survives restarts; a component file's DllRegisterServer writes its own entry. What this run of the
// program registered holds for the rest of the run even where the config folder can't be written
// (read-only, or a full disk).
//
// A component file is a shared library that exports
//   extern "C" int DllRegisterServer();  // 0 on success
//   extern "C" QObject *DllGetClassObject(const char *className, QObject *parent);
//                                        // a new object, a child of parent; null for another class
// Neither lets a failure out: what crosses the library boundary is a status or null.
void registerComponent(const QString &className, const QString &filePath);

// The file registered for className, or empty.
QString registeredComponentFile(const QString &className);

// Creates an object of className, a child of parent, from its registered file; the caller knows the
// interfaces it has (qobject_cast).
// Only a file among trustedFiles (paths of this machine) is ever loaded: a registry entry that names
// any other file, whatever wrote it, is refused. A class that is not registered, or whose file is
// gone, untrusted, won't load or doesn't provide it, fails with 429, naming the class and the file.
QObject *createComponent(const QString &className, const QStringList &trustedFiles, QObject *parent);

// True when the file named in the program's form is a shared library of this machine, such as a
// component file, and whole: every table and every part of the file that its ELF headers name lies
// within it. Checked from its headers, without loading it; a file cut short is no library.
bool isLibraryFile(const QString &name);

// Loads the library named in the program's form (as "c:\TessavaneTavlo\triedit.dll") and calls its
// DllRegisterServer. Returns its status. A library that can't be loaded fails with 48, one without
// the entry point with 453. With LetterCase::Exact, only a file of exactly that name is loaded, never
// one whose name differs in letter case.
int callDllRegisterServer(const QString &libraryName, LetterCase letterCase = LetterCase::Ignored);

} // namespace platform
