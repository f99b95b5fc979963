#include "serial/portsend.h"

#include "portio_win32.h"

namespace comsend {

SendAccount SendToPort(HANDLE port, std::span<const char> bytes, const serial::WriteControl &control,
                       const serial::Waker &waker)
{
    serial::Win32PortIo io(port, waker);
    const serial::SteadyTime time;
    return serial::LongWrite(io, time, bytes, control);
}

} // namespace comsend
