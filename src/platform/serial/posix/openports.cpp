#include "openports.h"

#include "closeport.h"

#include "posix/quickexit.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace comsend {

namespace {

// A slot holds a descriptor plus one, 0 when free: zero-initialised,
// trivially destroyed storage stays valid until the process ends, and the
// release, which may run in a signal handler, reads only whole values.
constinit std::array<std::atomic<int>, 64> slots{};

// What the quick exit may do from a signal handler: system calls only. The
// lock goes too: a process that dies of a fatal signal keeps its
// descriptors until its core dump is written, which may take a while.
void ReleaseHeldPorts() noexcept
{
    for (const auto &slot : slots) {
        if (const int held = slot.load(); held != 0) {
            ::ioctl(held - 1, TIOCNXCL);
            ::tcflush(held - 1, TCOFLUSH);
            ::flock(held - 1, LOCK_UN);
        }
    }
}

// At a normal exit the ports are closed, so that the kernel's own close at
// exit never waits for a driver that cannot throw its queue away.
void CloseAtExit() noexcept
{
    for (auto &slot : slots) {
        if (const int held = slot.exchange(0); held != 0) {
            ::ioctl(held - 1, TIOCNXCL);
            CloseWithoutWaiting(held - 1);
        }
    }
}

// Once, by the first port held: at a normal exit and at a quick one.
void ReleaseAtEveryExit()
{
    static const bool registered = [] {
        OnQuickExit(ReleaseHeldPorts);
        return std::atexit(CloseAtExit) == 0;
    }();
    static_cast<void>(registered);
}

} // namespace

bool OpenPorts::Add(int fd)
{
    ReleaseAtEveryExit();
    for (auto &slot : slots) {
        int expected = 0;
        if (slot.compare_exchange_strong(expected, fd + 1))
            return true;
    }
    return false;
}

void OpenPorts::Remove(int fd)
{
    for (auto &slot : slots) {
        int expected = fd + 1;
        slot.compare_exchange_strong(expected, 0);
    }
}

bool OpenPorts::Contains(int fd)
{
    for (const auto &slot : slots) {
        if (slot.load() == fd + 1)
            return true;
    }
    return false;
}

} // namespace comsend
