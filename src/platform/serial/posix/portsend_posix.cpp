#include "porthandle.h"
#include "portio_posix.h"
#include "ttydevice.h"

#include <cerrno>
#include <sys/stat.h>

namespace comsend {

namespace {

serial::DeviceTraits TraitsOf(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return serial::kUsbAdapter;
    if (IsPseudoTerminalSlave(info.st_rdev))
        return serial::kPseudoTerminal;
    return IsSerialUart(info.st_rdev) ? serial::kUart : serial::kUsbAdapter;
}

} // namespace

SendAccount serial::SendToPort(Port port, std::span<const char> bytes, const WriteControl &control,
                               const Waker &waker)
{
    const int fd = DescriptorOf(port);
    if (fd < 0)
        return {.error = EBADF};
    serial::PosixPortIo io(fd, waker, TraitsOf(fd));
    const serial::SteadyTime time;
    return serial::LongWrite(io, time, bytes, control);
}

} // namespace comsend
