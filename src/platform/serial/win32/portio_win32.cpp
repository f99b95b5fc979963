// The long write's view of a Windows serial port. The handle is synchronous:
// every write runs under a total write timeout of the time the caller
// allows, after which the driver returns what it took so far. Without a
// timeout a write to a stalled device could never be given up (wine cannot
// even cancel one). The read timeouts make a read return at once; comsend
// never reads, but no call it makes may block.
#include "serial/portio.h"

#include <algorithm>

namespace comsend::portio {

DWORD Write(HANDLE port, const char *bytes, DWORD count, std::chrono::milliseconds wait, DWORD &taken)
{
    taken = 0;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant =
        static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(wait.count(), 1));
    if (!::SetCommTimeouts(port, &timeouts))
        return ::GetLastError();
    DWORD written = 0;
    const BOOL done = ::WriteFile(port, bytes, count, &written, nullptr);
    taken = std::min(written, count);
    if (done)
        return 0; // a timeout ends the write early but successfully
    // Some drivers report the timeout as a failure instead.
    const DWORD error = ::GetLastError();
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT ? 0 : error;
}

DWORD Queued(HANDLE port)
{
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(port, &errors, &status))
        return 0;
    return status.cbOutQue;
}

DWORD DiscardQueued(HANDLE port)
{
    // Output is held first: a byte that left between the count and the purge
    // would be counted as discarded, and sent again by a retry.
    ::EscapeCommFunction(port, SETXOFF);
    const DWORD before = Queued(port);
    if (before > 0)
        ::PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR);
    const DWORD after = Queued(port);
    ::EscapeCommFunction(port, SETXON);
    return before > after ? before - after : 0;
}

std::chrono::nanoseconds ByteTime(HANDLE port)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port, &dcb) || dcb.BaudRate == 0)
        return std::chrono::nanoseconds::zero();
    // Start bit, data bits, parity bit, stop bits; in half bits for 1.5.
    unsigned halfBits = 2 * (1 + dcb.ByteSize) + (dcb.Parity != NOPARITY ? 2 : 0);
    halfBits += dcb.StopBits == TWOSTOPBITS ? 4 : dcb.StopBits == ONE5STOPBITS ? 3 : 2;
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(halfBits / (2.0 * dcb.BaudRate)));
}

} // namespace comsend::portio
