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
// device). A file, a folder, a printer, the console or NUL has no such call
// (faults.h): it is closed again untouched and the open fails with
// ERROR_NOT_SERIAL_PORT, so that Send can never write into one. A port that
// cannot answer for another reason fails the open with that reason.
//
// Line settings: the record goes to the kernel as given, but for what only
// Windows asks of it. Serial drivers refuse XON and XOFF characters that are
// equal (STATUS_INVALID_PARAMETER from IOCTL_SERIAL_SET_CHARS) even when
// software flow control is off and they are never used; a zeroed record has
// both at 0. Then the usual DC1 and DC3 are filled in. And Windows only
// knows binary transfers, so fBinary is always set. Everything else,
// including refusals, is the driver's; a refusal is one of the line
// settings, whatever its value, unless the device's status shows it gone.
//
// Closing: what the driver still holds is thrown away first, so that the
// close never waits for a device that stopped taking bytes.
#include "devicename.h"
#include "faults.h"
#include "kernelcalls.h"

#include "platform/kernel.h"

#include <string>

namespace comsend {

namespace {

constexpr char kXon = 0x11;  // DC1
constexpr char kXoff = 0x13; // DC3

// 0 for a serial port, ERROR_NOT_SERIAL_PORT for what is none, or why the
// port cannot say.
DWORD SerialPortCheck(HANDLE handle)
{
    ::DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (Kernel().GetCommState(handle, &dcb))
        return 0;
    const DWORD error = ::GetLastError();
    return serial::MeansNoSuchCall(error) || error == ERROR_INVALID_HANDLE ? ERROR_NOT_SERIAL_PORT : error;
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
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    const DWORD error = SerialPortCheck(handle);
    if (error == 0)
        return handle;
    Kernel().CloseHandle(handle);
    ::SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

SendAccount SetPortState(HANDLE hFile, const DCB &dcb)
{
    ::DCB record = dcb;
    record.fBinary = TRUE;
    if (record.fOutX == 0 && record.fInX == 0 && record.XonChar == record.XoffChar) {
        record.XonChar = kXon;
        record.XoffChar = kXoff;
    }
    if (Kernel().SetCommState(hFile, &record))
        return {};
    const DWORD error = ::GetLastError();
    DWORD errors = 0;
    COMSTAT status{};
    if (!Kernel().ClearCommError(hFile, &errors, &status)) {
        const DWORD probe = ::GetLastError();
        if (serial::MeansRemoved(probe) || probe == ERROR_INVALID_HANDLE) {
            ::SetLastError(probe);
            return {.error = probe, .stage = PortStage::Held};
        }
    }
    ::SetLastError(error);
    return {.error = error, .stage = PortStage::Settings};
}

BOOL ClosePort(HANDLE hObject)
{
    Kernel().PurgeComm(hObject, PURGE_TXABORT | PURGE_TXCLEAR);
    return Kernel().CloseHandle(hObject);
}

} // namespace comsend
