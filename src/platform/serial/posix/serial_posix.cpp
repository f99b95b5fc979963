// The serial-port operations on POSIX terminals.
//
// Opening: the port name becomes a device path (portname.h). Only a
// character device that the kernel lists as a terminal line is opened; a
// regular file, directory, FIFO or other device typed into the port box is
// never opened, let alone written to, and neither is the terminal this
// process was started from or reads and writes as its standard streams,
// whatever name reaches it. The open uses O_NONBLOCK so that it returns at
// once even on a port that would wait for carrier detect, and O_NOCTTY so
// that the port never becomes our controlling terminal. The descriptor stays
// non-blocking: a write that cannot go on waits in poll() for a short while
// and comes back (portio_posix.cpp). Connect changes one thing only: it
// silences the line (SilenceLine below), so that the kernel never answers
// the far end by itself; the speed, the framing and the modem lines stay as
// they were (the kernel raises DTR and RTS on every open of a serial line).
//
// Exclusive use: flock(LOCK_EX) is the advisory whole-file lock that pyserial,
// picocom and other serial programs also take, and it binds root too;
// TIOCEXCL makes the kernel refuse later opens by programs that do not lock.
// A port that is already in exclusive mode belongs to another program even
// when our open got through (the kernel lets root past it), so it is given
// back. Closing undoes both first, so that the next opener is not refused.
//
// A port is the descriptor itself, and only the one port this layer holds
// is accepted, so a stale value can never reach a descriptor that has since
// been reused. The port is held where every ending of the process releases
// it (posix/quickexit.h); at a normal exit it is closed without waiting for
// its driver (closeport.h). Descriptors 0 to 2 are never used for a port, so
// a port is never zero and a stray write to standard output or error can
// never reach the line.
//
// Every failure keeps its reason: the errno value of the call that failed,
// or the layer's own value (platform/errorcodes.h) where no call did.
#include "closeport.h"
#include "linesettings.h"
#include "porthandle.h"
#include "portio_posix.h"
#include "portname.h"
#include "ttydevice.h"
#include "uniquefd.h"

#include "posix/quickexit.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace comsend {

namespace {

using serial::ErrorCode;
using serial::LineSettings;

// The device a path names, if it is a character device that may be a port.
ErrorCode CheckDevice(const std::string &path, dev_t &device)
{
    struct stat info {};
    // stat() needs no permission on the device itself, only the search
    // permission of every folder on the way: EACCES means one of those.
    if (::stat(path.c_str(), &info) != 0)
        return errno == EACCES ? serial::kFolderRefused : ErrnoValue();
    if (!S_ISCHR(info.st_mode))
        return ENOTTY;
    device = info.st_rdev;
    if (ClassifyCharDevice(device) == TtyVerdict::NotTerminal)
        return ENOTTY;
    return IsOwnTerminal(device) ? serial::kOwnTerminal : 0;
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

void GiveUpExclusiveUse(int fd)
{
    LetGoOfPort(fd);
    ::ioctl(fd, TIOCNXCL);
    RetryOnInterrupt([fd] { return ::flock(fd, LOCK_UN); });
}

// One port is held at a time, as the form holds one handle: a port still
// held when another opens is one whose form has gone, and it is closed. At
// a normal exit the port is closed the same way, so that the kernel's own
// close at exit never waits for a driver that cannot throw its queue away.
void LetGoOfHeldPort()
{
    if (const int previous = HeldPort(); previous >= 0) {
        GiveUpExclusiveUse(previous);
        CloseWithoutWaiting(previous);
    }
}

// The port is held before its exclusive mode is set, so that an exit at any
// moment after clears it again.
ErrorCode TakeExclusiveUse(int fd)
{
    static const bool closesAtExit = std::atexit(LetGoOfHeldPort) == 0;
    static_cast<void>(closesAtExit);
    if (HeldExclusivelyByAnother(fd))
        return EBUSY;
    if (RetryOnInterrupt([fd] { return ::flock(fd, LOCK_EX | LOCK_NB); }) != 0)
        return errno == EWOULDBLOCK ? EBUSY : ErrnoValue();
    LetGoOfHeldPort();
    HoldPort(fd);
    if (::ioctl(fd, TIOCEXCL) == 0)
        return 0;
    const ErrorCode error = ErrnoValue();
    LetGoOfPort(fd);
    return error;
}

// A terminal fresh from its open echoes what it receives (with ICRNL and
// ONLCR, "AT\r" comes back as "AT\r\n"), and with software flow control
// the kernel, or an adapter chip that does it for the kernel, sends XOFF and
// XON to the far end as its input fills, which it does since comsend never
// reads. None of that was typed, so it is all turned off; nothing else is
// touched. Send's settings keep it off.
ErrorCode SilenceLine(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return ErrnoValue();
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOPRT | ECHOKE);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    return RetryOnInterrupt([&] { return ::tcsetattr(fd, TCSANOW, &settings); }) == 0 ? 0 : ErrnoValue();
}

ErrorCode OpenTerminal(const std::string &path, UniqueFd &port)
{
    dev_t device{};
    if (const ErrorCode error = CheckDevice(path, device))
        return error;
    UniqueFd fd(
        RetryOnInterrupt([&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); }));
    if (!fd.Valid())
        return ErrnoValue();
    if (!IsSameTerminal(fd.Get(), device))
        return ENOTTY;
    fd = fd.MovedAtOrAbove(kFirstPortDescriptor);
    if (!fd.Valid())
        return ErrnoValue();
    if (const ErrorCode error = TakeExclusiveUse(fd.Get()))
        return error;
    if (const ErrorCode error = SilenceLine(fd.Get())) {
        GiveUpExclusiveUse(fd.Get());
        return error;
    }
    port = std::move(fd);
    return 0;
}

// Lowers DTR and RTS. A device without modem lines (a pseudo-terminal,
// some USB gadgets) refuses the request; its line settings still count as
// taken.
bool LowerModemLines(int fd)
{
    int bits = TIOCM_DTR | TIOCM_RTS;
    const int result = RetryOnInterrupt([&] { return ::ioctl(fd, TIOCMBIC, &bits); });
    return result == 0 || errno == ENOTTY || errno == EINVAL;
}

// Puts the settings into effect and reads them back; 0 or why not.
ErrorCode ApplySettings(int fd, const LineSettings &settings, const termios &previous)
{
    termios wanted = previous;
    if (!ApplyLineSettings(settings, wanted))
        return EINVAL;
    if (RetryOnInterrupt([&] { return ::tcsetattr(fd, TCSANOW, &wanted); }) != 0)
        return ErrnoValue();
    termios taken{};
    if (::tcgetattr(fd, &taken) != 0)
        return ErrnoValue();
    if (!LineSettingsTook(settings, taken))
        return EINVAL;
    return LowerModemLines(fd) ? 0 : ErrnoValue();
}

} // namespace

int DescriptorOf(serial::Port port)
{
    const auto value = static_cast<std::intptr_t>(port);
    const bool plausible = value >= kFirstPortDescriptor && value <= INT32_MAX;
    return plausible && HeldPort() == static_cast<int>(value) ? static_cast<int>(value) : -1;
}

serial::Opened serial::OpenPort(const char *name)
{
    const auto path = name != nullptr ? ResolvePortName(name) : std::nullopt;
    UniqueFd fd;
    const ErrorCode error = name == nullptr ? EINVAL : path ? OpenTerminal(*path, fd) : ENOENT;
    if (error != 0)
        return {.port = {}, .error = error};
    return {.port = Port{fd.Release()}, .error = 0};
}

// Settings that are refused leave the line's settings (speed, framing, flow
// control) exactly as they were: whatever part of them the device took is
// undone. A line that was hung up (EIO, ENODEV, ENXIO) belongs to a device
// that has gone.
SendAccount serial::SetLine(Port port, const LineSettings &settings)
{
    const auto failed = [](ErrorCode error) {
        return SendAccount{.error = error,
                           .stage =
                               MeansGone(static_cast<int>(error)) ? PortStage::Held : PortStage::Settings};
    };
    const int fd = DescriptorOf(port);
    if (fd < 0)
        return failed(EBADF);
    termios previous{};
    if (::tcgetattr(fd, &previous) != 0)
        return failed(ErrnoValue());
    const ErrorCode error = ApplySettings(fd, settings, previous);
    if (error != 0) {
        RetryOnInterrupt([&] { return ::tcsetattr(fd, TCSANOW, &previous); });
        return failed(error);
    }
    return {};
}

serial::ErrorCode serial::ClosePort(Port port)
{
    const int fd = DescriptorOf(port);
    if (fd < 0)
        return EBADF;
    GiveUpExclusiveUse(fd);
    return static_cast<ErrorCode>(CloseWithoutWaiting(fd));
}

} // namespace comsend
