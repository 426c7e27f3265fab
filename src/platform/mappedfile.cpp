#include "mappedfile.h"

#include "failure.h"
#include "filesystem.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {
namespace {

// The mappings that a fault may hit when their file shrinks, for the signal handler, which may take
// no lock: each slot holds a mapping's first and last address, or zeros.
struct Range {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
};
std::array<Range, 64> ranges;
struct sigaction previousAction {};
// Read once where it may be asked, not in the handler.
std::uintptr_t pageSize = 4096;

bool inMapping(std::uintptr_t address)
{
    for (const Range &range : ranges) {
        if (address >= range.begin.load() && address < range.end.load())
            return true;
    }
    return false;
}

// A page of a mapping that its file no longer reaches becomes a page of zeros, and the read that
// faulted is done again; any other fault is the previous handler's, or ends the program as it would
// have.
void onBusError(int signal, siginfo_t *info, void *context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    if (inMapping(address)) {
        void *start = static_cast<char *>(info->si_addr) - address % pageSize;
        if (::mmap(start, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
            return;
    }
    if ((previousAction.sa_flags & SA_SIGINFO) && previousAction.sa_sigaction) {
        previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN && previousAction.sa_handler) {
        previousAction.sa_handler(signal);
        return;
    }
    ::signal(signal, SIG_DFL);
}

void watchBusErrors()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        pageSize = std::uintptr_t(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousAction);
    });
}

// A free slot for the mapping, or null when all are taken: the file is then read whole instead.
Range *claimRange(const char *data, qsizetype size)
{
    for (Range &range : ranges) {
        std::uintptr_t free = 0;
        if (range.begin.compare_exchange_strong(free, reinterpret_cast<std::uintptr_t>(data))) {
            range.end.store(reinterpret_cast<std::uintptr_t>(data) + std::uintptr_t(size));
            return &range;
        }
    }
    return nullptr;
}

void releaseRange(const char *data)
{
    for (Range &range : ranges) {
        if (range.begin.load() == reinterpret_cast<std::uintptr_t>(data)) {
            range.end.store(0);
            range.begin.store(0);
        }
    }
}

} // namespace

MappedFile::MappedFile(const QString &path)
{
    const std::unique_ptr<QFile> file = openRegularFile(path);
    const qint64 size = file->size();
    if (size <= 0)
        return;
    watchBusErrors();
    // Private: nothing this program does reaches the file.
    void *map = ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, file->handle(), 0);
    if (map != MAP_FAILED && claimRange(static_cast<const char *>(map), size)) {
        data_ = static_cast<const char *>(map);
        size_ = size;
        mapped_ = true;
        return;
    }
    if (map != MAP_FAILED)
        ::munmap(map, size_t(size));
    copy_ = file->readAll();
    if (copy_.size() != size)
        throw Failure(error::PermissionDenied,
                      QStringLiteral("Device I/O error: \"%1\" can't be read: %2").arg(path, file->errorString()));
    data_ = copy_.constData();
    size_ = copy_.size();
}

MappedFile::~MappedFile()
{
    if (!mapped_)
        return;
    releaseRange(data_);
    ::munmap(const_cast<char *>(data_), size_t(size_));
}

std::shared_ptr<const MappedFile> mapRegularFile(const QString &path)
{
    return std::make_shared<const MappedFile>(path);
}

} // namespace platform
