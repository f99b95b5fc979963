// The serial-port operations as the form code uses them, by their kernel
// names. The kernel's own calls and types come from the operating system's
// serial layer (platform/kernel.h, one per OS); the write is the program's
// own, on top of them, so that a long or stalled write never freezes the
// window.
#pragma once

#include "platform/kernel.h"

#include <string>

namespace comsend {

// Writes every byte to the port and returns once they have all left it, or
// once the write has failed or been cancelled. The caller gets control back
// only then, but the window keeps painting: a write that takes longer than a
// moment shows a modal box with its progress and a Cancel button.
//
// A device that takes no byte for three seconds beyond the time the line needs
// for what its driver still holds has stalled, and the write fails. When the
// write fails or is cancelled, whatever the driver still holds is discarded,
// so that *lpNumberOfBytesWritten is exactly what left the port; the reason
// is kept for GetLastError (ERROR_OPERATION_ABORTED when cancelled,
// ERROR_TIMEOUT when stalled). Only synchronous writes exist here:
// lpOverlapped must be null.
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped);

// One sentence that says in plain words why a port operation failed, for an
// error value that GetLastError gave.
std::string SysErrorMessage(DWORD Error);

} // namespace comsend
