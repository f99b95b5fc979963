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
// serial::kNotSerialPort, so that Send can never write into one. A port that
// cannot answer for another reason fails the open with that reason.
//
// Line settings: the kernel's record is built from the settings, with the
// usual DC1 and DC3 as XON and XOFF although software flow control is off
// (serial drivers refuse equal characters, STATUS_INVALID_PARAMETER from
// IOCTL_SERIAL_SET_CHARS, even when they are never used), and binary
// transfers, the only kind Windows knows. Whether the port takes it is the
// driver's; a refusal is one of the line settings, whatever its value,
// unless the device's status shows it gone.
//
// Closing: what the driver still holds is thrown away first, so that the
// close never waits for a device that stopped taking bytes.
#include "devicename.h"
#include "faults.h"
#include "kernelcalls.h"

#include <array>
#include <string>

namespace comsend {

namespace {

constexpr char kXon = 0x11;  // DC1
constexpr char kXoff = 0x13; // DC3

// 0 for a serial port, serial::kNotSerialPort for what is none, or why the
// port cannot say.
DWORD SerialPortCheck(HANDLE handle)
{
    ::DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (Kernel().GetCommState(handle, &dcb))
        return 0;
    const DWORD error = ::GetLastError();
    return serial::MeansNoSuchCall(error) || error == ERROR_INVALID_HANDLE ? serial::kNotSerialPort : error;
}

constexpr std::array<BYTE, 5> kParities{NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY};
constexpr std::array<BYTE, 3> kStopBits{ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};

} // namespace

serial::Opened serial::OpenPort(const char *name)
{
    if (name == nullptr)
        return {.port = {}, .error = ERROR_INVALID_PARAMETER};
    const std::string device = DeviceName(name);
    HANDLE handle = Kernel().CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {.port = {}, .error = ::GetLastError()};
    const DWORD error = SerialPortCheck(handle);
    if (error == 0)
        return {.port = Port{reinterpret_cast<std::intptr_t>(handle)}, .error = 0};
    Kernel().CloseHandle(handle);
    return {.port = {}, .error = error};
}

SendAccount serial::SetLine(Port port, const LineSettings &settings)
{
    const HANDLE handle = HandleOf(port);
    ::DCB record{};
    record.DCBlength = sizeof record;
    record.BaudRate = settings.bitsPerSecond;
    record.fBinary = TRUE;
    record.ByteSize = settings.dataBits;
    record.Parity = kParities.at(static_cast<std::size_t>(settings.parity));
    record.StopBits = kStopBits.at(static_cast<std::size_t>(settings.stopBits));
    record.XonChar = kXon;
    record.XoffChar = kXoff;
    if (Kernel().SetCommState(handle, &record))
        return {};
    // Whatever the value (a working CH340 refuses with a removal one), only
    // the device's status says it has gone.
    const DWORD error = ::GetLastError();
    if (const DWORD gone = GoneByStatus(handle))
        return {.error = gone, .stage = PortStage::Held};
    return {.error = error, .stage = PortStage::Settings};
}

serial::ErrorCode serial::ClosePort(Port port)
{
    const HANDLE handle = HandleOf(port);
    Kernel().PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
    return Kernel().CloseHandle(handle) ? 0 : ::GetLastError();
}

} // namespace comsend
