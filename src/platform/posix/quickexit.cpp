#include "quickexit.h"

#include <array>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace comsend {

namespace {

constinit std::atomic<int> heldPort{-1};
constinit std::array<char, PATH_MAX> folder{};
constinit std::atomic<bool> hasFolder{false};

void RemoveFolder() noexcept
{
    if (hasFolder.exchange(false))
        ::rmdir(folder.data());
}

// System calls only: this may run in a signal handler.
void ReleaseBeforeEnd() noexcept
{
    if (const int fd = heldPort.load(); fd >= 0) {
        ::ioctl(fd, TIOCNXCL);
        ::tcflush(fd, TCOFLUSH);
        ::flock(fd, LOCK_UN);
    }
    RemoveFolder();
}

} // namespace

void HoldPort(int Fd) noexcept
{
    heldPort.store(Fd);
}

void LetGoOfPort(int Fd) noexcept
{
    heldPort.compare_exchange_strong(Fd, -1);
}

int HeldPort() noexcept
{
    return heldPort.load();
}

bool RemoveAtEnd(const char *Folder) noexcept
{
    const std::size_t length = std::strlen(Folder);
    if (length >= folder.size())
        return false;
    std::memcpy(folder.data(), Folder, length + 1);
    hasFolder.store(true);
    std::atexit(RemoveFolder);
    return true;
}

void QuickExit(int Status) noexcept
{
    ReleaseBeforeEnd();
    ::_exit(Status);
}

// raise() delivers the signal before it returns, unless it is blocked: a
// handler blocks its own signal while it runs, so it is unblocked first.
void DieOfSignal(int Signal) noexcept
{
    ReleaseBeforeEnd();
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(Signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, Signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(Signal);
    ::_exit(128 + Signal); // not reached: the default action of a fatal signal ends the process
}

} // namespace comsend
