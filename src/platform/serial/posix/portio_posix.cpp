// The long write's view of a POSIX terminal. The descriptor is
// non-blocking: a write takes what fits and poll() waits for room, never
// longer than the caller allows. TIOCOUTQ tells what the driver still holds
// (a pseudo-terminal always says 0: its bytes are at the far end at once,
// and discarding there would take them from the far end's reader).
#include "linesettings.h"
#include "porthandle.h"
#include "serial/portio.h"
#include "uniquefd.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace comsend::portio {

namespace {

// The write, or -1 with errno.
ssize_t WriteSome(int fd, const char *bytes, DWORD count)
{
    return RetryOnInterrupt([&] { return ::write(fd, bytes, count); });
}

// Waits for room for at most `wait`; a signal only cuts the wait short.
void WaitForRoom(int fd, std::chrono::milliseconds wait)
{
    pollfd entry{fd, POLLOUT, 0};
    ::poll(&entry, 1, static_cast<int>(wait.count()));
}

} // namespace

DWORD Write(HANDLE port, const char *bytes, DWORD count, std::chrono::milliseconds wait, DWORD &taken)
{
    taken = 0;
    const int fd = DescriptorOf(port);
    if (fd < 0)
        return EBADF;
    ssize_t result = WriteSome(fd, bytes, count);
    if (result < 0 && errno == EAGAIN) {
        WaitForRoom(fd, wait);
        result = WriteSome(fd, bytes, count);
    }
    if (result >= 0)
        taken = static_cast<DWORD>(result);
    return result >= 0 || errno == EAGAIN ? 0 : static_cast<DWORD>(errno);
}

DWORD Queued(HANDLE port)
{
    const int fd = DescriptorOf(port);
    int queued = 0;
    if (fd < 0 || ::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued < 0)
        return 0;
    return static_cast<DWORD>(queued);
}

DWORD DiscardQueued(HANDLE port)
{
    const int fd = DescriptorOf(port);
    if (fd < 0)
        return 0;
    // Output is suspended first: a byte that left between the count and the
    // flush would be counted as discarded, and sent again by a retry.
    RetryOnInterrupt([fd] { return ::tcflow(fd, TCOOFF); });
    const DWORD before = Queued(port);
    if (before > 0)
        RetryOnInterrupt([fd] { return ::tcflush(fd, TCOFLUSH); });
    const DWORD after = Queued(port);
    RetryOnInterrupt([fd] { return ::tcflow(fd, TCOON); });
    return before > after ? before - after : 0;
}

std::chrono::nanoseconds ByteTime(HANDLE port)
{
    const int fd = DescriptorOf(port);
    termios tio{};
    if (fd < 0 || ::tcgetattr(fd, &tio) != 0)
        return std::chrono::nanoseconds::zero();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(SecondsPerCharacter(tio)));
}

} // namespace comsend::portio
