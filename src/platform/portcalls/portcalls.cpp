// The program's own port calls under their kernel names, as the form code
// makes them: the arguments checked as the kernel would, the work done by
// the open and the write that keep the window alive.
#include "openwithprogress.h"
#include "sendwithprogress.h"

#include "platform/serial.h"

namespace comsend {

namespace {

thread_local DWORD lastWriteAtMost = 0;

} // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    // Only what a port open asks for is supported: read-write, exclusive,
    // existing, synchronous.
    const bool supported = lpFileName != nullptr && dwDesiredAccess == (GENERIC_READ | GENERIC_WRITE)
                           && dwShareMode == 0 && lpSecurityAttributes == nullptr
                           && dwCreationDisposition == OPEN_EXISTING && dwFlagsAndAttributes == 0
                           && hTemplateFile == nullptr;
    if (!supported) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return OpenWithProgress(lpFileName);
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = 0;
    lastWriteAtMost = 0;
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SendOutcome outcome =
        SendWithProgress(hFile, static_cast<const char *>(lpBuffer), nNumberOfBytesToWrite);
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = outcome.sent;
    lastWriteAtMost = outcome.sentAtMost;
    SetLastError(outcome.error);
    return outcome.error == 0 ? TRUE : FALSE;
}

DWORD GetLastWriteAtMost()
{
    return lastWriteAtMost;
}

} // namespace comsend
