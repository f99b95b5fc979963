// The kernel's names the form code uses, where no Windows kernel gives them:
// its types, the line-settings record DCB with the members the form may set,
// the constants, the error values (errno's, with the Windows names for the
// ones the program itself sets, and comsend's own) and the last-error slot.
// Only the names are the kernel's: nothing below the form's calls
// (platform/serial.h) sees them.
#pragma once

#include "platform/errorcodes.h"

#include <cerrno>
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LPCSTR = const char *;
using LPCVOID = const void *;
using LPDWORD = DWORD *;
using HANDLE = void *;
using HINSTANCE = void *;
using LPSTR = char *;

struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES *;
using LPOVERLAPPED = OVERLAPPED *;

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

// The failure value of an open. A valid handle is never this and never zero.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(-1);

inline constexpr DWORD GENERIC_READ = 0x80000000U;
inline constexpr DWORD GENERIC_WRITE = 0x40000000U;
inline constexpr DWORD OPEN_EXISTING = 3;

inline constexpr int SW_SHOWDEFAULT = 10;

// The line-settings record, by the kernel's member names; the flags are
// whole members here, as nothing depends on the kernel's layout.
struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary, fParity, fOutxCtsFlow, fOutxDsrFlow, fDtrControl, fDsrSensitivity, fTXContinueOnXoff;
    DWORD fOutX, fInX, fErrorChar, fNull, fRtsControl, fAbortOnError;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar, XoffChar, ErrorChar, EofChar, EvtChar;
};

inline constexpr BYTE NOPARITY = 0;
inline constexpr BYTE ODDPARITY = 1;
inline constexpr BYTE EVENPARITY = 2;
inline constexpr BYTE MARKPARITY = 3;
inline constexpr BYTE SPACEPARITY = 4;

inline constexpr BYTE ONESTOPBIT = 0;
inline constexpr BYTE ONE5STOPBITS = 1;
inline constexpr BYTE TWOSTOPBITS = 2;

inline constexpr DWORD DTR_CONTROL_DISABLE = 0;
inline constexpr DWORD RTS_CONTROL_DISABLE = 0;

inline constexpr DWORD ERROR_INVALID_HANDLE = EBADF;
inline constexpr DWORD ERROR_INVALID_PARAMETER = EINVAL;
inline constexpr DWORD ERROR_OPERATION_ABORTED = ECANCELED;
inline constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = EILSEQ;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = ENOMEM;
inline constexpr DWORD ERROR_SEND_CANCELLED = comsend::serial::kSendCancelled;
inline constexpr DWORD ERROR_SEND_STALLED = comsend::serial::kSendStalled;

// The calling convention of the entry point; only 32-bit Windows has one to name.
#define WINAPI

namespace comsend {

// The error value of the calling thread's last failed call.
inline DWORD &LastError()
{
    thread_local DWORD error = 0;
    return error;
}

inline DWORD GetLastError()
{
    return LastError();
}

inline void SetLastError(DWORD dwErrCode)
{
    LastError() = dwErrCode;
}

} // namespace comsend
