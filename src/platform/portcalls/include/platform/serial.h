// The serial-port operations as the form code makes them, by their kernel
// names and with the kernel's types (platform/kernel.h: <windows.h> on
// Windows, the same names declared for the form elsewhere), and the reasons
// for a failure (platform/portreasons.h). The calls themselves are the
// program's own: each translates once to the serial layer's terms
// (serial/port.h) and runs on the one thread that makes port calls
// (portworker.h) while the window loop waits for it, so that a slow or
// stuck driver never freezes the window; after a moment a box says what is
// under way.
#pragma once

#include "platform/adapters.h"
#include "platform/kernel.h"
#include "platform/portreasons.h"
#include "platform/sendaccount.h"

#include <string>

namespace comsend {

// Opens the named port, for reading and writing and for exclusive use, as
// the kernel's CreateFileA would; only that kind of open (share mode 0,
// OPEN_EXISTING, no flags, no template) is supported. The box says which
// port is being opened; an open cannot be cancelled.
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Puts the line settings into effect. Only a plain line is supported: the
// record's speed, data bits, parity and stop bits, with no flow control, no
// byte replaced or dropped, and DTR and RTS off; anything else is refused
// with ERROR_INVALID_PARAMETER. A record the port does not take leaves the
// line as it was.
BOOL SetCommState(HANDLE hFile, DCB *lpDCB);

// Writes every byte to the port and returns once they are all known to have
// left it (serial/longwrite.h), or once the write has failed or been
// cancelled: a write that takes longer than a moment shows its progress in a
// box with a Cancel button. When it fails, whatever the driver still holds
// is discarded where it can be, *lpNumberOfBytesWritten is what is known to
// have left, and GetSendAccount says how much may have. Only synchronous
// writes exist here: lpOverlapped must be null.
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped);

// Closes the port without waiting for its driver to send what it still
// holds.
BOOL CloseHandle(HANDLE hObject);

// What the port's last SetCommState and WriteFile did: why they failed, at
// which stage, and how much of the text is known to have left the port and
// how much may have.
SendAccount GetSendAccount(HANDLE hFile);

// Where the adapter behind the port is now, when its device has gone and
// the same adapter is back under another name (platform/adapters.h); empty
// otherwise. Asked before the port is closed.
std::string GetAdapterBackAs(HANDLE hFile);

} // namespace comsend
