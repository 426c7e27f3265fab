#include "author/interruption.h"

#include "author/refusal.h"

#include <atomic>
#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<int> caught{0};
std::atomic<pid_t> child{0};
Watchdog *watchdog = nullptr;

extern "C" void onSignal(int signal)
{
    caught = signal;
    if (const pid_t running = child; running > 0)
        ::kill(-running, SIGKILL);
}

} // namespace

InterruptGuard::InterruptGuard()
{
    caught = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

InterruptGuard::~InterruptGuard()
{
    for (const int signal : kSignals)
        std::signal(signal, SIG_DFL);
}

void InterruptGuard::endBy(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    _exit(128 + signal);
}

void throwIfInterrupted()
{
    if (const int signal = caught)
        throw Interrupted{signal};
}

Watchdog::Watchdog(const QString &folder)
{
    shell_.setChildProcessModifier([] { ::setsid(); });
    shell_.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("group=-; while read -r line; do group=$line; done; "
                                 "[ \"$group\" = - ] || kill -s KILL -- \"-$group\" 2>/dev/null; rm -rf -- \"$1\""),
                  QStringLiteral("watchdog"), folder});
    if (!shell_.waitForStarted())
        throw Refusal({QStringLiteral("sh can't be run: %1").arg(shell_.errorString())});
    watchdog = this;
}

Watchdog::~Watchdog()
{
    watchdog = nullptr;
    shell_.kill();
    shell_.waitForFinished();
}

void Watchdog::watch(qint64 processGroup)
{
    shell_.write(processGroup > 0 ? QByteArray::number(processGroup) + '\n' : QByteArray("-\n"));
    shell_.waitForBytesWritten();
}

QByteArray runProgram(const QString &program, const QStringList &args)
{
    throwIfInterrupted();
    QProcess process;
    // A process group of its own, so that the programs it starts in turn (dpkg-deb's tar and
    // compressor) end with it; and it ends with tavlo-book, even by SIGKILL, which leaves no chance
    // to end it.
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process.start(program, args);
    if (!process.waitForStarted())
        throw Refusal({QStringLiteral("%1 can't be run: %2").arg(program, process.errorString())});
    child = pid_t(process.processId());
    if (watchdog)
        watchdog->watch(child);
    // A signal before the child was known has not ended it.
    if (caught)
        ::kill(-child, SIGKILL);
    process.waitForFinished(-1);
    child = 0;
    if (watchdog)
        watchdog->watch(0);
    throwIfInterrupted();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw Refusal({QStringLiteral("%1 failed: %2")
                           .arg(program, QString::fromLocal8Bit(process.readAllStandardError()).trimmed())});
    return process.readAllStandardOutput();
}
