// Linux's drivers over the device model, behind the POSIX long write's
// system calls (systemcalls.h): write() takes what the driver has room for,
// TIOCOUTQ says what the driver counts, tcflow() and tcflush() do what the
// driver does with them, and poll() passes the device's time. Once the
// device has gone every call fails, with the hang-up's EIO or, from
// usbserial before the hang-up, ENODEV.
#include "families.h"

#include "portio_posix.h"

#include <cerrno>

namespace drivers {

struct Calls {
    int gone;
    comsend::serial::DeviceTraits traits;
};

namespace {

using comsend::serial::kPseudoTerminal;
using comsend::serial::kUart;
using comsend::serial::kUsbAdapter;

constexpr Calls kUartCalls{EIO, kUart};
constexpr Calls kUsbSerial{ENODEV, kUsbAdapter};
constexpr Calls kAcm{EIO, kUsbAdapter};
constexpr Calls kPty{EIO, kPseudoTerminal};

// usbserial: a 4 KiB buffer behind two transfers of the bulk size, each
// counted whole, no hold, no discard. cdc_acm: sixteen buffers of 1,280
// bytes, one for each write, counted full while busy. A pty: its reader's
// buffer, counted never. Buffer, transfer size, transfers, packet, chip:
constexpr Family kFamilies[] = {
    {"8250", {4096, 0, 0, 1, 16, Count::Whole, kCommitted | kHolds | kDiscards}, &kUartCalls},
    {"ftdi_sio, 4 KiB chip", {4096, 64, 2, 64, 4096, Count::Whole, kUsb | kIntakeStops}, &kUsbSerial},
    {"ch341, 128-byte chip", {4096, 32, 2, 32, 128, Count::Whole, kUsb | kIntakeStops}, &kUsbSerial},
    {"cdc_acm", {0, 1280, 16, 64, 128, Count::PerTransfer, kUsb | kFastReader}, &kAcm},
    {"pty", {0, 0, 0, 1, 64 * 1024, Count::None, kFastReader}, &kPty},
};

Device *device = nullptr;
const Calls *calls = nullptr;

bool Gone()
{
    if (device->Gone())
        errno = calls->gone;
    return device->Gone();
}

ssize_t Write(int, const void *bytes, size_t count)
{
    if (Gone())
        return -1;
    const std::uint32_t taken =
        device->Take(static_cast<const char *>(bytes), static_cast<std::uint32_t>(count));
    if (taken == 0)
        errno = EAGAIN;
    return taken == 0 ? -1 : static_cast<ssize_t>(taken);
}

int OutQueue(int, int *bytes)
{
    if (Gone())
        return -1;
    *bytes = static_cast<int>(device->Counted());
    return 0;
}

int Flow(int, int action)
{
    if (Gone())
        return -1;
    device->Hold(action == TCOOFF);
    return 0;
}

int Flush(int, int)
{
    if (Gone())
        return -1;
    device->Discard();
    return 0;
}

int Poll(pollfd *entries, nfds_t count, int timeoutMs)
{
    // The port's descriptor, if any, is first (a hang-up ends the wait), then the waker's.
    const bool port = count > 0;
    const bool forRoom = port && (entries[0].events & POLLOUT) != 0;
    device->AdvanceUntil(device->Now() + std::chrono::milliseconds(timeoutMs), [&] {
        return (count > 1 && device->cancelled) || (port && device->Gone())
               || (forRoom && device->Room() > 0);
    });
    return 0;
}

int GetAttr(int, termios *tio)
{
    if (Gone())
        return -1;
    *tio = {};
    tio->c_cflag = CS8 | CREAD | CLOCAL;
    cfsetospeed(tio, B4800);
    return 0;
}

constexpr comsend::serial::SystemCalls kCalls{Write, OutQueue, Flow, Flush, Poll, GetAttr};

} // namespace

std::span<const Family> Families()
{
    return kFamilies;
}

std::unique_ptr<comsend::serial::PortIo> Plug(const Family &family, Device &plugged)
{
    static const comsend::serial::Waker waker;
    constexpr int kDescriptor = 1000; // none of this process: only the table's calls see it
    device = &plugged;
    calls = family.calls;
    return std::make_unique<comsend::serial::PosixPortIo>(kDescriptor, waker, calls->traits, kCalls);
}

// The settings do not pass the table.
void CheckSettings(Device &) {}

} // namespace drivers
