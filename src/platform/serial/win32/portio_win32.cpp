#include "portio_win32.h"

#include "faults.h"
#include "kernelcalls.h"
#include "waker_win32.h"

#include <algorithm>
#include <chrono>

namespace comsend::serial {

Win32PortIo::Win32PortIo(HANDLE port, const Waker &waker) : port_(port), wakeEvent_(waker.Get().event) {}

Failure Win32PortIo::Checked(BOOL done) const
{
    return done ? Failure{} : Confirmed(port_, ::GetLastError());
}

// The read timeouts make a read return at once: comsend never reads, but no
// call it makes may block.
Failure Win32PortIo::Prepare()
{
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = Milliseconds(kStallMargin);
    return Checked(Kernel().SetCommTimeouts(port_, &timeouts));
}

Failure Win32PortIo::Format(LineFormat &format)
{
    ::DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const Failure failure = Checked(Kernel().GetCommState(port_, &dcb));
    if (!failure)
        format = {.bitsPerSecond = dcb.BaudRate,
                  .dataBits = dcb.ByteSize,
                  .parity = dcb.Parity != NOPARITY,
                  .stopBits = dcb.StopBits == TWOSTOPBITS    ? StopBits::Two
                              : dcb.StopBits == ONE5STOPBITS ? StopBits::OneAndHalf
                                                             : StopBits::One};
    return failure;
}

// A write that failed may have sent more than it reports, unless it reports
// all it was given.
Written Win32PortIo::Write(const char *bytes, std::uint32_t count)
{
    DWORD written = 0;
    const BOOL done = Kernel().WriteFile(port_, bytes, count, &written, nullptr);
    const DWORD taken = std::min<DWORD>(written, count);
    if (done)
        return {.failure = {}, .taken = taken, .mayHaveTaken = taken};
    return {.failure = Confirmed(port_, ::GetLastError()), .taken = taken, .mayHaveTaken = count};
}

Queue Win32PortIo::Queued()
{
    DWORD errors = 0;
    COMSTAT status{};
    if (Kernel().ClearCommError(port_, &errors, &status))
        return {.failure = {}, .bytes = status.cbOutQue};
    const DWORD error = ::GetLastError();
    if (MeansNoSuchCall(error))
        return {.failure = {.code = error, .fault = Fault::Unsupported}};
    return {.failure = Confirmed(port_, error)};
}

// A write blocks in its driver while it waits for room, so waiting for room
// is only waiting.
void Win32PortIo::Wait(Clock::duration timeout, bool /*forRoom*/)
{
    Kernel().WaitForSingleObject(wakeEvent_, Milliseconds(timeout));
}

void Win32PortIo::Pause(Clock::duration duration)
{
    Kernel().Sleep(Milliseconds(duration));
}

Failure Win32PortIo::HoldOutput()
{
    return Checked(Kernel().EscapeCommFunction(port_, SETXOFF));
}

Failure Win32PortIo::ResumeOutput()
{
    return Checked(Kernel().EscapeCommFunction(port_, SETXON));
}

Failure Win32PortIo::DiscardOutput()
{
    return Checked(Kernel().PurgeComm(port_, PURGE_TXABORT | PURGE_TXCLEAR));
}

} // namespace comsend::serial
