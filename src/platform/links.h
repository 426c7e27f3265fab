#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// Hands a link that leads out of the book to the user's own programs: a web address (http or https
// with a host) to the web browser, a mail address (mailto:) to the mail program. Anything else is
// refused and nothing is started. Returns whether the link was handed on.
bool openLink(const QUrl &url);

// What becomes of a file of the application folder that a link names and that is no page, by its
// type as its name tells it (the type the page view serves it as).
enum class FileUse {
    Show,   // text, markup and the pictures the engine draws: the page view shows it in place
    HandOn, // a PDF, an e-book, an archive or a compressed file, another picture, sound or video:
            // the user's program for its type opens it
    Refuse, // anything else, programs, scripts and desktop entries among them: nothing opens it
};
FileUse fileUse(const QString &path);

// Hands the file at path to the user's program for its type, when fileUse() says HandOn; anything
// else is refused and nothing is started. The caller has made sure that it lies in the application
// folder. Returns whether a program took it.
bool openFile(const QString &path);

} // namespace platform
