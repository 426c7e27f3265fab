#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// A command that writes files through temporary ones and runs programs, interrupted by SIGINT,
// SIGTERM or SIGHUP: the programs it runs are ended at once, the next check throws Interrupted, and
// the temporary files go as the stack unwinds; then the signal ends tavlo-book as it would have.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    // Ends the process by signal, as the default action would have, once everything is removed.
    [[noreturn]] static void endBy(int signal);
};

// For tavlo-book killed outright (SIGKILL, which no handler sees): a shell in a session of its own
// that waits on a pipe only tavlo-book holds open, and once that closes ends the programs that
// runProgram() started last and removes folder. Ended itself when tavlo-book ends in order.
class Watchdog {
public:
    explicit Watchdog(const QString &folder);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    friend QByteArray runProgram(const QString &program, const QStringList &args);
    void watch(qint64 processGroup);

    QProcess shell_;
};

struct Interrupted {
    int signal;
};

// Throws Interrupted when a signal came since the guard was set.
void throwIfInterrupted();

// Runs program to its end, ended with the guard's signal or when tavlo-book itself is killed; its
// standard output, or a Refusal naming what it said.
QByteArray runProgram(const QString &program, const QStringList &args);
