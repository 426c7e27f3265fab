#pragma once

#include <QString>
#include <QStringList>

namespace book {
class BookLoad;
}
namespace platform {
class FileSystem;
}

// The start-up routines: install and register the page view component, then open the reader window.
namespace regmod {

// The program's entry routine: installs the component, then creates the reader window and shows it
// modeless. A failure to create or load the window reaches the caller. The window takes its book from
// bookLoad, where the program began reading it, if it did.
void Main(book::BookLoad *bookLoad = nullptr);

// Copies the component files into the install folder and registers them. Every step that fails is
// skipped; nothing is reported.
void InstallSupportFiles();

// Calls the self-registration entry point of each installed component file, ignoring failures. An
// installed file is registered only when it holds the same bytes as its source beside the program;
// one that could not be installed, or that differs, is registered where that source lies. Without a
// whole source (none, or one too damaged to install), the installed file is registered as it is.
void RegisterComponents();

// The same installation and registration from a given application folder, for tests.
void installSupportFilesFrom(const QString &applicationFolder, const platform::FileSystem &fileSystem);
void registerComponentsFrom(const QString &applicationFolder, const platform::FileSystem &fileSystem);

// The files of the page view control that the program may load, as paths of this machine: the
// installed copy, under the same rule as its registration, and the two sources beside the program.
// No other file is ever loaded for it.
QStringList componentFiles(const QString &applicationFolder);

} // namespace regmod
