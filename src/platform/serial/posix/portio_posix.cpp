// The long write's view of a POSIX terminal. The descriptor is
// non-blocking: a write takes what fits, or nothing, and poll() waits for
// room, never longer than the caller allows; a write that fails has written
// nothing. TIOCOUTQ tells what the driver still holds (a pseudo-terminal
// always says 0: its bytes wait in its reader's buffer, where no discard of
// ours may reach them). tcflow() holds the output and tcflush() throws away
// what is queued. After a USB adapter is unplugged the terminal is hung up
// and every one of these calls fails with EIO.
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

DWORD ErrnoValue()
{
    return static_cast<DWORD>(errno);
}

// The call's own result: 0, or the errno value it failed with.
template <typename Call> DWORD Checked(HANDLE port, Call call)
{
    const int fd = DescriptorOf(port);
    if (fd < 0)
        return EBADF;
    return RetryOnInterrupt([&] { return call(fd); }) == 0 ? 0 : ErrnoValue();
}

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

BYTE DataBits(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

} // namespace

Written Write(HANDLE port, const char *bytes, DWORD count, std::chrono::milliseconds wait)
{
    const int fd = DescriptorOf(port);
    if (fd < 0)
        return {.error = EBADF};
    ssize_t result = WriteSome(fd, bytes, count);
    if (result < 0 && errno == EAGAIN) {
        WaitForRoom(fd, wait);
        result = WriteSome(fd, bytes, count);
    }
    if (result < 0)
        return {.error = errno == EAGAIN ? 0 : ErrnoValue()};
    const auto taken = static_cast<DWORD>(result);
    return {.taken = taken, .mayHaveTaken = taken};
}

DWORD Queued(HANDLE port, DWORD &queued)
{
    int bytes = 0;
    const DWORD error = Checked(port, [&](int fd) { return ::ioctl(fd, TIOCOUTQ, &bytes); });
    queued = error == 0 && bytes > 0 ? static_cast<DWORD>(bytes) : 0;
    return error;
}

DWORD HoldOutput(HANDLE port)
{
    return Checked(port, [](int fd) { return ::tcflow(fd, TCOOFF); });
}

DWORD ResumeOutput(HANDLE port)
{
    return Checked(port, [](int fd) { return ::tcflow(fd, TCOON); });
}

DWORD DiscardOutput(HANDLE port)
{
    return Checked(port, [](int fd) { return ::tcflush(fd, TCOFLUSH); });
}

DWORD Format(HANDLE port, LineFormat &format)
{
    termios tio{};
    const DWORD error = Checked(port, [&](int fd) { return ::tcgetattr(fd, &tio); });
    if (error != 0)
        return error;
    const BYTE dataBits = DataBits(tio.c_cflag);
    const bool extraStop = (tio.c_cflag & CSTOPB) != 0;
    format = {.bitsPerSecond = static_cast<DWORD>(BitsPerSecond(cfgetospeed(&tio))),
              .dataBits = dataBits,
              .parity = (tio.c_cflag & PARENB) != 0,
              // With five data bits, CSTOPB is one and a half stop bits.
              .stopBits = !extraStop      ? ONESTOPBIT
                          : dataBits == 5 ? ONE5STOPBITS
                                          : TWOSTOPBITS};
    return 0;
}

} // namespace comsend::portio
