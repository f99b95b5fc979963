// The serial-port operations on Windows: the kernel's own, with two guards.
//
// Opening: the port is opened for reading and writing, for exclusive and
// synchronous use. The name goes to the kernel exactly as typed, so that every name
// Windows knows for a port works (COM3, com3, \\.\COM3, a driver's own
// device name), with one exception: COM10 and up exist only in the device
// namespace, so "COMn" with n >= 10 (no leading zero, any case) is looked up
// there, as \\.\COMn. Whatever the name opened must then be a serial port:
// one whose line settings can be read, whatever file type the driver
// reports (some virtual and Bluetooth ports report another than a character
// device). A file, a folder, a printer, the console or NUL is closed again
// untouched and the open fails with ERROR_NOT_SERIAL_PORT, so that Send can
// never write into one.
//
// Line settings: the record goes to the kernel as given, but for what only
// Windows asks of it. Serial drivers refuse XON and XOFF characters that are
// equal (STATUS_INVALID_PARAMETER from IOCTL_SERIAL_SET_CHARS) even when
// software flow control is off and they are never used; a zeroed record has
// both at 0. Then the usual DC1 and DC3 are filled in. And Windows only
// knows binary transfers, so fBinary is always set. Everything else,
// including refusals, is the driver's.
#include "devicename.h"
#include "kernelcalls.h"

#include "platform/kernel.h"

#include <string>

namespace comsend {

namespace {

constexpr char kXon = 0x11;  // DC1
constexpr char kXoff = 0x13; // DC3

bool IsSerialPort(HANDLE handle)
{
    ::DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    return Kernel().GetCommState(handle, &dcb) != FALSE;
}

} // namespace

HANDLE OpenSerialPort(LPCSTR lpFileName)
{
    if (lpFileName == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string name = DeviceName(lpFileName);
    HANDLE handle = Kernel().CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE || IsSerialPort(handle))
        return handle;
    Kernel().CloseHandle(handle);
    ::SetLastError(ERROR_NOT_SERIAL_PORT);
    return INVALID_HANDLE_VALUE;
}

BOOL SetCommState(HANDLE hFile, DCB *lpDCB)
{
    if (lpDCB == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ::DCB dcb = *lpDCB;
    dcb.fBinary = TRUE;
    if (dcb.fOutX == 0 && dcb.fInX == 0 && dcb.XonChar == dcb.XoffChar) {
        dcb.XonChar = kXon;
        dcb.XoffChar = kXoff;
    }
    return Kernel().SetCommState(hFile, &dcb);
}

BOOL CloseHandle(HANDLE hObject)
{
    return Kernel().CloseHandle(hObject);
}

} // namespace comsend
