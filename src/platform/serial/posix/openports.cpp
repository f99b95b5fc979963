#include "openports.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <sys/ioctl.h>

namespace comsend {

namespace {

// Slots are atomics so that the release at a quick exit, which may run in a
// signal handler, reads whole values.
constexpr int kFree = -1;
using Slots = std::array<std::atomic<int>, 64>;

void ReleaseExclusiveModes(Slots &slots)
{
    for (const auto &slot : slots) {
        const int fd = slot.load();
        if (fd != kFree)
            ::ioctl(fd, TIOCNXCL);
    }
}

void ReleaseAtQuickExit();

// Its destructor runs at a normal exit; a quick exit runs the handler instead.
struct Registry {
    Slots slots;

    Registry()
    {
        for (auto &slot : slots)
            slot.store(kFree);
        std::at_quick_exit(ReleaseAtQuickExit);
    }
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;
    ~Registry() { ReleaseExclusiveModes(slots); }
};

Registry &TheRegistry()
{
    static Registry registry;
    return registry;
}

void ReleaseAtQuickExit()
{
    ReleaseExclusiveModes(TheRegistry().slots);
}

} // namespace

bool OpenPorts::Add(int fd)
{
    for (auto &slot : TheRegistry().slots) {
        int expected = kFree;
        if (slot.compare_exchange_strong(expected, fd))
            return true;
    }
    return false;
}

void OpenPorts::Remove(int fd)
{
    for (auto &slot : TheRegistry().slots) {
        int expected = fd;
        slot.compare_exchange_strong(expected, kFree);
    }
}

bool OpenPorts::Contains(int fd)
{
    for (const auto &slot : TheRegistry().slots) {
        if (slot.load() == fd)
            return true;
    }
    return false;
}

} // namespace comsend
