#pragma once

#include <QPointer>
#include <QString>

class QMessageBox;

namespace platform {

class Failure;

// The program's own title.
inline constexpr char kProgramTitle[] = "pellomare";

// The title that captions every message box: the program's own, or the name of the book that a
// package made an application of its own.
QString programTitle();
void setProgramTitle(const QString &title);

// Shows a modal message with an OK button only, no icon and the program's title as caption, and
// waits until the user closes it.
//
// For tests of the whole program: when the environment names a file in TAVLO_MESSAGE_LOG, each
// message is appended to that file as one line instead of waiting for a user.
void showMessage(const QString &text);

// Messages like showMessage() that return at once: nothing waits for the user to close them. Of
// the notices of one Notices, at most one of each origin stands at a time; while one does, a new one
// of the same origin is dropped and show() returns false, so a page's messages never hide the
// program's. The text is shown as plain text, whatever it holds, and cut to a readable length.
// TAVLO_MESSAGE_LOG takes these messages as well.
enum class NoticeOrigin { Program, Page };
class Notices {
public:
    bool show(const QString &text, NoticeOrigin origin = NoticeOrigin::Program);

private:
    QPointer<QMessageBox> standing_[2];
};

// The report for unhandled failures: "Run-time error 'N':" and the description, in a message box and
// on standard error. Then the program ends with a non-zero exit status; no window remains.
[[noreturn]] void reportUnhandledFailure(const Failure &failure);

// Runs action, reporting any failure that escapes it as unhandled. Every entry point from the event
// loop into the program's own code goes through here, so no failure crosses the toolkit.
template <typename Action> void runReportingFailures(Action &&action);

} // namespace platform

#include "failure.h"

template <typename Action> void platform::runReportingFailures(Action &&action)
{
    try {
        action();
    } catch (const Failure &failure) {
        reportUnhandledFailure(failure);
    }
}
