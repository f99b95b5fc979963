// What a long write needs of a port, below the kernel's own calls: hand the
// driver bytes without waiting long, see how much it still holds, and
// discard that. One implementation per operating system (portio_posix.cpp,
// portio_win32.cpp); the write itself (portsend.h) is shared.
#pragma once

#include "platform/kernel.h"

#include <chrono>

namespace comsend::portio {

// Hands the driver as many of the bytes as it takes, waiting at most `wait`
// for room. Returns 0, with the count taken in `taken` (possibly 0), or the
// error value of a write that failed.
DWORD Write(HANDLE port, const char *bytes, DWORD count, std::chrono::milliseconds wait, DWORD &taken);

// How many bytes the driver still holds for sending; 0 where it cannot tell.
DWORD Queued(HANDLE port);

// Discards what the driver still holds and returns how many bytes that was.
// Output is held meanwhile, so that no byte leaves between the count and the
// discard.
DWORD DiscardQueued(HANDLE port);

// How long the line takes for one byte at the port's current settings.
std::chrono::nanoseconds ByteTime(HANDLE port);

} // namespace comsend::portio
