#pragma once

#include <QString>

namespace platform {

// Turns a file name in the program's own form into a path of this machine.
//
// The program builds names such as the application folder followed by "\images\pre.gif " or
// "c:\TessavaneTavlo\DhtmlED.OCX". Here "\" and "/" both separate, repeated separators count as one,
// and the drive "c:" is the user's data folder. Blanks at the end of the file name, the part after
// the last separator, are not part of it and are dropped, unless a file exists with exactly the name
// as written; a folder's name is always taken as written, blanks and all, as such a folder can hold
// the program. Where a name does not exist as written, an entry of the same folder that differs only
// in letter case is used, as the program's names were written for a file system that ignores case.
// Names on any other drive have no place on this machine: the result is empty.
//
// With LetterCase::Exact, names are taken only as written: for the files the program installed
// itself, which have exactly the names it gave them.
enum class LetterCase { Ignored, Exact };
QString toHostPath(const QString &name, LetterCase letterCase = LetterCase::Ignored);

// The same, for a name given by the user or the program where a path of this machine is needed: a
// name with no place on this machine fails with "path not found" (76).
QString hostPath(const QString &name);

// The folder that stands for drive "c:": the user's data folder.
QString driveCFolder();

} // namespace platform
