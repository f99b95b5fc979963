// What the long write needs of a port, below the kernel's own calls: hand
// the driver bytes without waiting long, ask how much it still holds, hold
// its output, throw away what it holds, and read the line's format. One
// implementation per operating system (posix/portio_posix.cpp,
// win32/portio_win32.cpp); the write itself, and every decision about what
// the answers mean, is shared (portsend.h).
//
// Every call returns 0 or the error value of the call that failed
// (errno on POSIX, GetLastError on Windows), so that a driver that stops
// answering is never taken for one that has nothing to say.
#pragma once

#include "serial/linetime.h"

#include "platform/kernel.h"

#include <chrono>

namespace comsend::portio {

// What a write did. `taken` is what the driver reported taking; a write
// that failed may have taken more than it reported, up to `mayHaveTaken`.
struct Written {
    DWORD error = 0;
    DWORD taken = 0;
    DWORD mayHaveTaken = 0;
};

// Hands the driver as many of the bytes as it takes, waiting at most `wait`
// for room. A driver with no room takes nothing, which is no error.
Written Write(HANDLE port, const char *bytes, DWORD count, std::chrono::milliseconds wait);

// How many bytes the driver still holds for sending.
DWORD Queued(HANDLE port, DWORD &queued);

// Stops and restarts the line's output, so that nothing leaves while the
// queue is counted and thrown away.
DWORD HoldOutput(HANDLE port);
DWORD ResumeOutput(HANDLE port);

// Throws away whatever the driver holds for sending.
DWORD DiscardOutput(HANDLE port);

// The line's format as the port has it now.
DWORD Format(HANDLE port, LineFormat &format);

} // namespace comsend::portio
