#pragma once

#include <QString>

namespace platform {
class FileSystem;
}

// The start-up routines: install and register the page view component, then open the reader window.
namespace regmod {

// The program's entry routine: installs the component, then creates the reader window and shows it
// modeless. A failure to create or load the window reaches the caller.
void Main();

// Copies the component files into the install folder and registers them. Every step that fails is
// skipped; nothing is reported.
void InstallSupportFiles();

// Calls the self-registration entry point of each installed component file, ignoring failures.
void RegisterComponents();

// The same installation from a given application folder, for tests.
void installSupportFilesFrom(const QString &applicationFolder, const platform::FileSystem &fileSystem);

} // namespace regmod
