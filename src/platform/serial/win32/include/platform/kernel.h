// The kernel's serial-port calls and their types on Windows: the real ones,
// from <windows.h>, which also gives the types and constants the form code
// names. The calls on a port are comsend's own, in its namespace like on
// POSIX (serial_win32.cpp): the open, which refuses anything that is not a
// serial port, the line settings, which make the record acceptable to every
// driver, and the close. The error values are the kernel's.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/errorcodes.h"
#include "platform/sendaccount.h"

// comsend's own error values, with bit 29 set as Windows reserves for
// applications, so that none is ever taken for one of the system's.
// The name opened something, but not a serial port (a file, a printer, the
// console): it was closed again untouched.
inline constexpr DWORD ERROR_NOT_SERIAL_PORT = 0x20000002UL;
// The user cancelled the send; a driver's own abort is ERROR_OPERATION_ABORTED.
inline constexpr DWORD ERROR_SEND_CANCELLED = comsend::serial::kSendCancelled;
// The device stopped taking bytes.
inline constexpr DWORD ERROR_SEND_STALLED = comsend::serial::kSendStalled;

namespace comsend {

// The line-settings record as the form code fills it in: the kernel's DCB,
// byte for byte, as a type of comsend's own. With the kernel's type, a call
// SetCommState(handle, &record) would find the kernel's SetCommState too
// (argument-dependent lookup searches the record type's namespace), and the
// two would be equally good; with this one, comsend's is the exact match.
struct DCB : ::DCB {};
static_assert(sizeof(DCB) == sizeof(::DCB), "the record keeps the kernel's layout");

// Opens the named port for reading and writing, for exclusive and
// synchronous use: the open Connect makes. It may take long (a Bluetooth
// port waits for its device); the program runs it off the window's thread,
// as every call here.
HANDLE OpenSerialPort(LPCSTR lpFileName);
// Puts the record into effect: {0} or why not, and whether the failure
// came while the line took its settings or from a device that has gone.
SendAccount SetPortState(HANDLE hFile, const DCB &dcb);
// Throws away what the driver still holds, so that the close does not wait
// for it, and closes the port.
BOOL ClosePort(HANDLE hObject);

using ::GetLastError;
using ::SetLastError;

} // namespace comsend
