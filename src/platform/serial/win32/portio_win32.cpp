// The long write's view of a Windows serial port. The handle is synchronous:
// every write runs under a total write timeout of the time the caller
// allows, after which the driver returns what it took so far. Without a
// timeout a write to a stalled device could never be given up (wine cannot
// even cancel one). The read timeouts make a read return at once; comsend
// never reads, but no call it makes may block.
//
// A write that fails, a timeout reported as a failure included, may have
// taken more than the count it reports: some drivers report 0 for a write
// they had partly sent. ClearCommError's cbOutQue is what the driver holds;
// when the device has been removed the call fails, and that is kept as the
// reason, never read as an empty queue. SETXOFF holds the output as if the
// far end had sent XOFF, PurgeComm throws the queue away.
#include "kernelcalls.h"
#include "serial/portio.h"

#include <algorithm>

namespace comsend::portio {

namespace {

DWORD Checked(BOOL done)
{
    return done ? 0 : ::GetLastError();
}

} // namespace

Written Write(HANDLE port, const char *bytes, DWORD count, std::chrono::milliseconds wait)
{
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant =
        static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(wait.count(), 1));
    if (!Kernel().SetCommTimeouts(port, &timeouts))
        return {.error = ::GetLastError()};
    DWORD written = 0;
    const BOOL done = Kernel().WriteFile(port, bytes, count, &written, nullptr);
    const DWORD taken = std::min(written, count);
    if (done)
        return {.taken = taken, .mayHaveTaken = taken};
    return {.error = ::GetLastError(), .taken = taken, .mayHaveTaken = count};
}

DWORD Queued(HANDLE port, DWORD &queued)
{
    DWORD errors = 0;
    COMSTAT status{};
    const DWORD error = Checked(Kernel().ClearCommError(port, &errors, &status));
    queued = error == 0 ? status.cbOutQue : 0;
    return error;
}

DWORD HoldOutput(HANDLE port)
{
    return Checked(Kernel().EscapeCommFunction(port, SETXOFF));
}

DWORD ResumeOutput(HANDLE port)
{
    return Checked(Kernel().EscapeCommFunction(port, SETXON));
}

DWORD DiscardOutput(HANDLE port)
{
    return Checked(Kernel().PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR));
}

DWORD Format(HANDLE port, LineFormat &format)
{
    ::DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const DWORD error = Checked(Kernel().GetCommState(port, &dcb));
    if (error == 0)
        format = {.bitsPerSecond = dcb.BaudRate,
                  .dataBits = dcb.ByteSize,
                  .parity = dcb.Parity != NOPARITY,
                  .stopBits = dcb.StopBits};
    return error;
}

} // namespace comsend::portio
