// The serial-port operations as the form code uses them, by their kernel
// names. The kernel's own calls and types, and the reasons for a failure,
// come from the operating system's serial layer (platform/kernel.h, one per
// OS; platform/portreasons.h); the open and the write are the program's own,
// on top of them (openwithprogress.h, sendwithprogress.h), so that a slow
// open or a long or stalled write never freezes the window.
#pragma once

#include "platform/kernel.h"
#include "platform/portreasons.h"

namespace comsend {

// Opens the named port, for reading and writing and for exclusive use, as
// the kernel's CreateFileA would; only that kind of open (share mode 0,
// OPEN_EXISTING, no flags, no template) is supported. The window keeps
// painting while the open takes long, and after a moment a box says which
// port is being opened.
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Writes every byte to the port and returns once they have all left it, or
// once the write has failed or been cancelled. The caller gets control back
// only then, but the window keeps painting: a write that takes longer than a
// moment shows a modal box with its progress and a Cancel button.
//
// A device that takes no byte for three seconds beyond the time the line needs
// for what its driver still holds has stalled, and the write fails. When the
// write fails or is cancelled, whatever the driver still holds is discarded,
// and *lpNumberOfBytesWritten is what is known to have left the port; the
// reason is kept for GetLastError (ERROR_SEND_CANCELLED when cancelled,
// ERROR_TIMEOUT when stalled). Only synchronous writes exist here:
// lpOverlapped must be null.
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped);

// How many bytes the calling thread's last WriteFile may have sent at most:
// more than the count it gave only where the driver could not say what it
// still held when the write ended (a device that stopped answering).
DWORD GetLastWriteAtMost();

} // namespace comsend
