#include "portfd.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace comsend;

HANDLE OpenPort(const std::string &name)
{
    return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

int DescriptorOpenOn(const std::string &path)
{
    int found = -1;
    DIR *dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return -1;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        char target[PATH_MAX] = {};
        const ssize_t size = ::readlink(link.c_str(), target, sizeof target - 1);
        if (size > 0 && path == std::string(target, static_cast<std::size_t>(size)))
            found = std::stoi(entry->d_name);
    }
    ::closedir(dir);
    return found;
}

std::size_t FillUntilFull(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    const std::vector<char> block(4096, 'f');
    std::size_t taken = 0;
    // The kernel moves bytes on to the far end's own buffer a moment later,
    // which makes room again, and a block too large for the room left is
    // refused whole: full means not even one byte fits, after a pause too.
    for (std::size_t round = 1; round > 0;) {
        round = 0;
        for (const std::size_t size : {block.size(), std::size_t{256}, std::size_t{1}}) {
            for (;;) {
                const ssize_t result = ::write(fd, block.data(), size);
                if (result > 0)
                    round += static_cast<std::size_t>(result);
                else if (!(result < 0 && errno == EINTR))
                    break;
            }
        }
        taken += round;
        ::usleep(50 * 1000);
    }
    ::fcntl(fd, F_SETFL, flags);
    return taken;
}
