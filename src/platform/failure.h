#pragma once

#include <QString>

#include <stdexcept>

namespace platform {

// Failure numbers, in the numbering that the program's users and its books have always seen.
namespace error {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int OutOfStringSpace = 14;
inline constexpr int DllLoadFailed = 48;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int CannotCreateComponent = 429;
inline constexpr int DllEntryPointMissing = 453;
inline constexpr int InvalidPicture = 481;
} // namespace error

// A failure of the program's own, with its number and a description in plain words that names the
// file and what is wrong with it. The command handlers catch none: it ends the program through the
// report for unhandled failures (runReportingFailures). Caught only where a step is allowed to fail:
// the installation routines skip the step; picture rewriting that runs out of room shows the page as
// written; the page view's file serving refuses the file; tavlo-book reports it and exits 1.
class Failure : public std::runtime_error {
public:
    Failure(int number, QString description);

    int number() const noexcept { return number_; }
    const QString &description() const noexcept { return description_; }

private:
    int number_;
    QString description_;
};

} // namespace platform
