#include "openports.h"

#include "posix/quickexit.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <sys/ioctl.h>

namespace comsend {

namespace {

// A slot holds a descriptor plus one, 0 when free: zero-initialised,
// trivially destroyed storage stays valid until the process ends, and the
// release, which may run in a signal handler, reads only whole values.
constinit std::array<std::atomic<int>, 64> slots{};

void ReleaseExclusiveModes() noexcept
{
    for (const auto &slot : slots) {
        if (const int held = slot.load(); held != 0)
            ::ioctl(held - 1, TIOCNXCL);
    }
}

// Once, by the first port held: at a normal exit and at a quick one.
void ReleaseAtEveryExit()
{
    static const bool registered = [] {
        OnQuickExit(ReleaseExclusiveModes);
        return std::atexit(ReleaseExclusiveModes) == 0;
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
