// The serial-port operations on POSIX terminals.
//
// Opening: the port name becomes a device path (portname.h). Only a
// character device that the kernel lists as a terminal line is opened; a
// regular file, directory, FIFO or other device typed into the port box is
// never opened, let alone written to. The open uses O_NONBLOCK so that it
// returns at once even on a port that would wait for carrier detect, and
// O_NOCTTY so that the port never becomes our controlling terminal. The
// descriptor stays non-blocking: a write that cannot go on waits in poll()
// against a deadline instead of blocking the window for ever. Connect only
// opens: line settings and modem lines stay as they were.
//
// Exclusive use: flock(LOCK_EX) is the advisory whole-file lock that pyserial,
// picocom and other serial programs also take, and it binds root too;
// TIOCEXCL makes the kernel refuse later opens by programs that do not lock.
// A port that is already in exclusive mode belongs to another program even
// when our open got through (the kernel lets root past it), so it is given
// back. Closing undoes both first, so that the next opener is not refused.
//
// A handle is the descriptor itself, and only the descriptors of ports this
// layer opened and has not closed are accepted (openports.h). Descriptors 0
// to 2 are never used for a port, so a handle is never zero and a stray write
// to standard output or error can never reach the line.
#include "linesettings.h"
#include "openports.h"
#include "portname.h"
#include "serial.h"
#include "ttydevice.h"
#include "uniquefd.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Slack a stalled write gets on top of the time the line needs for the rest.
constexpr std::chrono::seconds kStallMargin{3};

constexpr int kFirstPortDescriptor = 3;

int DescriptorOf(HANDLE handle)
{
    const auto value = reinterpret_cast<std::intptr_t>(handle);
    const bool plausible = value >= kFirstPortDescriptor && value <= INT32_MAX;
    return plausible && OpenPorts::Contains(static_cast<int>(value)) ? static_cast<int>(value) : -1;
}

HANDLE HandleOf(int descriptor)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor));
}

bool IsCharDevice(const std::string &path, dev_t &device)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    device = info.st_rdev;
    return true;
}

// The opened descriptor must still be the device that was checked, and a terminal.
bool IsSameTerminal(int fd, dev_t device)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == device && ::isatty(fd) == 1;
}

bool HeldExclusivelyByAnother(int fd)
{
    int exclusive = 0;
    return ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

bool TakeExclusiveUse(int fd)
{
    int result = -1;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 && ::ioctl(fd, TIOCEXCL) == 0;
}

UniqueFd OpenTerminal(const std::string &path)
{
    dev_t device{};
    if (!IsCharDevice(path, device) || ClassifyCharDevice(device) == TtyVerdict::NotTerminal)
        return {};
    UniqueFd fd(
        RetryOnInterrupt([&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); }));
    if (!fd.Valid() || !IsSameTerminal(fd.Get(), device))
        return {};
    fd = fd.MovedAtOrAbove(kFirstPortDescriptor);
    if (!fd.Valid() || HeldExclusivelyByAnother(fd.Get()) || !TakeExclusiveUse(fd.Get()))
        return {};
    return fd;
}

// Sets or clears DTR and RTS as asked. A device without modem lines
// (a pseudo-terminal, some USB gadgets) refuses the request; its line
// settings still count as taken.
bool SetModemLines(int fd, const LineSettings &settings)
{
    int raise = 0;
    int lower = 0;
    const auto sort = [&](ModemLine line, int bit) {
        if (line == ModemLine::On)
            raise |= bit;
        else if (line == ModemLine::Off)
            lower |= bit;
    };
    sort(settings.dtr, TIOCM_DTR);
    sort(settings.rts, TIOCM_RTS);
    const auto apply = [fd](unsigned long request, int bits) {
        if (bits == 0)
            return true;
        const int result = RetryOnInterrupt([&] { return ::ioctl(fd, request, &bits); });
        return result == 0 || errno == ENOTTY || errno == EINVAL;
    };
    return apply(TIOCMBIC, lower) && apply(TIOCMBIS, raise);
}

// How long the line needs to carry one byte at its current settings.
Clock::duration ByteTime(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(SecondsPerCharacter(tio)));
}

// Waits until the device takes more bytes or the deadline passes.
bool WaitUntilWritable(int fd, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry{fd, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        return ready == 1 && (entry.revents & POLLOUT) != 0
               && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
    }
}

// Hands every byte to the device, or stops when it fails or stalls.
std::size_t WriteAll(int fd, const char *bytes, std::size_t count)
{
    std::size_t written = 0;
    const Clock::duration byteTime = ByteTime(fd);
    const auto deadlineFor = [&](std::size_t left) {
        return Clock::now() + byteTime * static_cast<Clock::rep>(left) + kStallMargin;
    };
    auto deadline = deadlineFor(count);
    while (written < count) {
        const ssize_t result = ::write(fd, bytes + written, count - written);
        if (result > 0) {
            written += static_cast<std::size_t>(result);
            deadline = deadlineFor(count - written);
        } else if (result < 0 && errno == EINTR) {
            continue;
        } else if (result < 0 && errno == EAGAIN) {
            if (!WaitUntilWritable(fd, deadline))
                break;
        } else {
            break;
        }
    }
    return written;
}

} // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    // Only what a port open asks for is supported: read-write, exclusive,
    // existing, synchronous.
    const bool supported = lpFileName != nullptr && dwDesiredAccess == (GENERIC_READ | GENERIC_WRITE)
                           && dwShareMode == 0 && lpSecurityAttributes == nullptr
                           && dwCreationDisposition == OPEN_EXISTING && dwFlagsAndAttributes == 0
                           && hTemplateFile == nullptr;
    const auto path = supported ? ResolvePortName(lpFileName) : std::nullopt;
    UniqueFd fd = path ? OpenTerminal(*path) : UniqueFd();
    if (!fd.Valid())
        return INVALID_HANDLE_VALUE;
    OpenPorts::Add(fd.Get());
    return HandleOf(fd.Release());
}

BOOL SetCommState(HANDLE hFile, LPDCB lpDCB)
{
    const int fd = DescriptorOf(hFile);
    const auto settings = lpDCB != nullptr ? TranslateDcb(*lpDCB) : std::nullopt;
    termios tio{};
    if (fd < 0 || !settings || ::tcgetattr(fd, &tio) != 0)
        return FALSE;
    ApplyLineSettings(*settings, tio);
    termios taken{};
    const bool applied = RetryOnInterrupt([&] { return ::tcsetattr(fd, TCSANOW, &tio); }) == 0
                         && ::tcgetattr(fd, &taken) == 0 && LineSettingsTook(*settings, taken)
                         && SetModemLines(fd, *settings);
    return applied ? TRUE : FALSE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped)
{
    const int fd = DescriptorOf(hFile);
    const bool usable =
        fd >= 0 && lpOverlapped == nullptr && (lpBuffer != nullptr || nNumberOfBytesToWrite == 0);
    const std::size_t written =
        usable ? WriteAll(fd, static_cast<const char *>(lpBuffer), nNumberOfBytesToWrite) : 0;
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = static_cast<DWORD>(written);
    return usable && written == nNumberOfBytesToWrite ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE hObject)
{
    const int fd = DescriptorOf(hObject);
    if (fd < 0)
        return FALSE;
    OpenPorts::Remove(fd);
    ::ioctl(fd, TIOCNXCL);
    RetryOnInterrupt([fd] { return ::flock(fd, LOCK_UN); });
    // close() is not retried: on Linux the descriptor is gone even when it reports EINTR.
    return ::close(fd) == 0 || errno == EINTR ? TRUE : FALSE;
}
