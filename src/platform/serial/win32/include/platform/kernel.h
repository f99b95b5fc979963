// The kernel's serial-port calls and their types on Windows: the real ones,
// from <windows.h>, which also gives the types and constants the form code
// names. Two calls are comsend's own, in its namespace like on POSIX: the
// open, which refuses anything that is not a serial port, and the line
// settings, which make the record acceptable to every driver
// (serial_win32.cpp). The rest are the kernel's, brought into the namespace.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// comsend's own error values, with bit 29 set as Windows reserves for
// applications, so that none is ever taken for one of the system's.
// The name opened something, but not a serial port (a file, a printer, the
// console): it was closed again untouched.
inline constexpr DWORD ERROR_NOT_SERIAL_PORT = 0x20000002UL;

namespace comsend {

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL SetPortCommState(HANDLE hFile, LPDCB lpDCB);

using ::CloseHandle;
using ::GetLastError;
using ::SetLastError;

} // namespace comsend

// SetCommState is comsend's own too. Declared under the kernel's name, it
// could not be called: a DCB argument makes the kernel's SetCommState a
// candidate as well (argument-dependent lookup: DCB is the kernel's global
// type), and the two are equally good. So the name is mapped to comsend's,
// the way <windows.h> maps its own names to their A and W forms.
#define SetCommState SetPortCommState
