#include "startreserve.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <latch>
#include <sys/mman.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace comsend {

namespace {

// A run holds 12 descriptors at the most, 3 threads (the window loop's, the
// toolkit's event reader and its D-Bus connection; a Connect adds the
// open's), and maps about 260 MB more than it has at start: each with room
// to spare.
constexpr int kDescriptors = 24;
constexpr int kThreads = 4;
constexpr std::size_t kAddressSpace = std::size_t{512} << 20;

std::string Because(const char *what, int error)
{
    return std::string(what) + ": " + std::strerror(error);
}

std::string ShortOfDescriptors()
{
    std::array<int, kDescriptors> taken{};
    int error = 0;
    for (int &fd : taken) {
        fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0 && error == 0)
            error = errno;
    }
    for (const int fd : taken) {
        if (fd >= 0)
            ::close(fd);
    }
    return error == 0 ? std::string() : Because("too few file descriptors are free to start", error);
}

std::string ShortOfThreads()
{
    std::latch release(1);
    std::vector<std::thread> threads;
    int error = 0;
    try {
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&release] { release.wait(); });
    } catch (const std::system_error &failure) {
        error = failure.code().value();
    }
    release.count_down();
    for (std::thread &thread : threads)
        thread.join();
    return error == 0 ? std::string() : Because("cannot start the threads it needs", error);
}

std::string ShortOfAddressSpace()
{
    void *reserved =
        ::mmap(nullptr, kAddressSpace, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (reserved == MAP_FAILED)
        return Because("not enough memory to start", errno);
    ::munmap(reserved, kAddressSpace);
    return {};
}

} // namespace

std::string ShortOfStartResources()
{
    std::string missing = ShortOfDescriptors();
    if (missing.empty())
        missing = ShortOfAddressSpace();
    if (missing.empty())
        missing = ShortOfThreads();
    return missing;
}

} // namespace comsend
