// comsend's own error values, the same on every system, with bit 29 set as
// Windows reserves for applications, so that none is ever taken for one of
// the system's (errno values are small). Every other value is the system's
// own: errno on POSIX, GetLastError on Windows.
#pragma once

#include <cstdint>

namespace comsend::serial {

using ErrorCode = std::uint32_t; // 0 for none

// The terminal this process was started from, or one it reads or writes as
// its standard input, output or error: never taken as a port (POSIX).
inline constexpr ErrorCode kOwnTerminal = 0x20000001U;
// The name opened something, but not a serial port (a file, a printer, the
// console): it was closed again untouched (Windows).
inline constexpr ErrorCode kNotSerialPort = 0x20000002U;
// The user cancelled the send; a driver's own abort keeps its own value.
inline constexpr ErrorCode kSendCancelled = 0x20000003U;
// No byte left the port for the stall margin beyond the line time of what
// it still held.
inline constexpr ErrorCode kSendStalled = 0x20000004U;
// A folder on the way to the port may not be searched: the port itself was
// never reached, so its permissions are not the reason (POSIX).
inline constexpr ErrorCode kFolderRefused = 0x20000005U;

} // namespace comsend::serial
