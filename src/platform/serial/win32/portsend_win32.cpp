#include "kernelcalls.h"
#include "portio_win32.h"

namespace comsend {

SendAccount serial::SendToPort(Port port, std::span<const char> bytes, const WriteControl &control,
                               const Waker &waker)
{
    Win32PortIo io(HandleOf(port), waker);
    const SteadyTime time;
    return LongWrite(io, time, bytes, control);
}

} // namespace comsend
