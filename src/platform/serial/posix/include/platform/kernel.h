// The kernel's serial-port calls and their types, by their Windows names, as
// the POSIX serial layer provides them on top of termios (serial_posix.cpp):
// open a port, put a line-settings record into effect, close it, and the
// error value of the last call that failed. The types and constants have
// the names and sizes the Windows kernel gives them and, as there, are
// global; the calls are comsend's own, so they live in its namespace.
#pragma once

#include "platform/errorcodes.h"
#include "platform/sendaccount.h"

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

// The line-settings record, laid out byte for byte as the kernel's 28-byte DCB.
struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};
static_assert(sizeof(DCB) == 28, "DCB must keep the kernel's 28-byte layout");

using LPDCB = DCB *;

inline constexpr BYTE NOPARITY = 0;
inline constexpr BYTE ODDPARITY = 1;
inline constexpr BYTE EVENPARITY = 2;
inline constexpr BYTE MARKPARITY = 3;
inline constexpr BYTE SPACEPARITY = 4;

inline constexpr BYTE ONESTOPBIT = 0;
inline constexpr BYTE ONE5STOPBITS = 1;
inline constexpr BYTE TWOSTOPBITS = 2;

inline constexpr DWORD DTR_CONTROL_DISABLE = 0;
inline constexpr DWORD DTR_CONTROL_ENABLE = 1;
inline constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;

inline constexpr DWORD RTS_CONTROL_DISABLE = 0;
inline constexpr DWORD RTS_CONTROL_ENABLE = 1;
inline constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_TOGGLE = 3;

// Error values. On POSIX GetLastError gives errno values, with the Windows
// names for the ones the program itself sets; values with bit 29 set are the
// serial layer's own, as on Windows.
inline constexpr DWORD ERROR_FILE_NOT_FOUND = ENOENT;
inline constexpr DWORD ERROR_INVALID_HANDLE = EBADF;
inline constexpr DWORD ERROR_INVALID_PARAMETER = EINVAL;
inline constexpr DWORD ERROR_OPERATION_ABORTED = ECANCELED;
inline constexpr DWORD ERROR_TIMEOUT = ETIMEDOUT;
inline constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = EILSEQ;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = ENOMEM;
// The terminal this process was started from, or one it reads or writes as
// its standard input, output or error: never taken as a port.
inline constexpr DWORD ERROR_OWN_TERMINAL = 0x20000001U;
// The user cancelled the send; a driver's own abort is ERROR_OPERATION_ABORTED.
inline constexpr DWORD ERROR_SEND_CANCELLED = comsend::serial::kSendCancelled;
// The device stopped taking bytes.
inline constexpr DWORD ERROR_SEND_STALLED = comsend::serial::kSendStalled;
// A folder on the way to the port may not be searched: the port itself was
// never reached, so its permissions are not the reason.
inline constexpr DWORD ERROR_FOLDER_REFUSED = 0x20000005U;

// The calling convention of the entry point; only 32-bit Windows has one to name.
#define WINAPI

namespace comsend {

// Opens the named port for reading and writing, for exclusive and
// synchronous use: the open Connect makes. It may take long (a Bluetooth
// port waits for its device); the program runs it off the window's thread,
// as every call here.
HANDLE OpenSerialPort(LPCSTR lpFileName);
// Puts the record into effect: {0} or why not, and whether the failure
// came while the line took its settings or from a device that has gone.
SendAccount SetPortState(HANDLE hFile, const DCB &dcb);
// Closes the port without waiting for its driver (closeport.h).
BOOL ClosePort(HANDLE hObject);

// The error value of the calling thread's last failed call.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

} // namespace comsend
