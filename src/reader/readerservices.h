#pragma once

#include <book/bookfile.h>
#include <platform/filesystem.h>
#include <platform/screen.h>

#include <QPixmap>
#include <QString>
#include <QUrl>

#include <functional>

namespace reader {

// What the reader window takes from its platform. The defaults are the real services; tests hand in
// their own screen, pictures, messages and pauses.
struct ReaderServices {
    platform::FileSystem fileSystem;
    std::function<QString()> applicationFolder;
    std::function<platform::ScreenTwips()> screenSize;
    std::function<QPixmap(const QString &name)> loadPicture;
    std::function<void(const QString &text)> showMessage;
    std::function<void(int milliseconds)> sleep;
    std::function<void()> endProgram;
    // Hands a web or mail address to the user's browser or mail program; false when no program
    // took it.
    std::function<bool(const QUrl &url)> openLink;
    // Hands a document of the application folder (its path on this machine) to the user's program
    // for its type; false when none took it.
    std::function<bool(const QString &path)> openFile;
    // The file that keeps where the reader left each book; none remembered when unset or empty.
    std::function<QString()> placesFile;
    // Reads the book file at a path of this machine; the program hands in the reading it began
    // before the window was made.
    std::function<book::Book(const QString &path)> loadBook = book::loadBookFile;

    static ReaderServices platformServices();
};

} // namespace reader
