#include "openports.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <vector>

namespace {

// Single-threaded like everything else that touches a port. Its destructor
// runs at exit.
struct Registry {
    std::vector<int> fds;

    Registry() = default;
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;
    ~Registry()
    {
        for (const int fd : fds)
            ::ioctl(fd, TIOCNXCL);
    }
};

std::vector<int> &Fds()
{
    static Registry registry;
    return registry.fds;
}

} // namespace

void OpenPorts::Add(int fd)
{
    Fds().push_back(fd);
}

void OpenPorts::Remove(int fd)
{
    auto &fds = Fds();
    fds.erase(std::remove(fds.begin(), fds.end(), fd), fds.end());
}

bool OpenPorts::Contains(int fd)
{
    const auto &fds = Fds();
    return std::find(fds.begin(), fds.end(), fd) != fds.end();
}
