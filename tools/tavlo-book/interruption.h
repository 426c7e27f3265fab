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

struct Interrupted {
    int signal;
};

// Throws Interrupted when a signal came since the guard was set.
void throwIfInterrupted();

// Runs program to its end, ended with the guard's signal or when tavlo-book itself is killed; its
// standard output, or a Refusal naming what it said.
QByteArray runProgram(const QString &program, const QStringList &args);
