// Windows' drivers over the device model, behind the serial layer's kernel
// calls (kernelcalls.h): a synchronous WriteFile returns once serial.sys or
// usbser.sys has passed its bytes to the device, or once a bridge's driver
// has them in its buffer, or at the write timeout; ClearCommError counts what
// the driver does; the waits pass the device's time. Once the device has gone
// every call fails with the family's removal value (a write under way on
// usbser.sys with ERROR_OPERATION_ABORTED). The line settings are checked
// too: the CH340's driver refuses them with ERROR_GEN_FAILURE on a working
// device, which must read as a refusal, never as an unplug.
#include "families.h"

#include "kernelcalls.h"
#include "portio_win32.h"

#include "platform/portreasons.h"
#include "serial/port.h"
#include "serial/reasons.h"

#include <gtest/gtest.h>

namespace drivers {

// How a write ends when the driver's timeout runs out first.
enum class Timeout {
    ShortCount, // TRUE with what it passed on; the rest is not taken (serial.sys)
    Cancelled,  // ERROR_SEM_TIMEOUT and 0 taken, the rest not sent (usbser.sys)
    SentAnyway, // ERROR_SEM_TIMEOUT and 0 taken, though all of it goes
};

struct Calls {
    DWORD gone;
    DWORD aborted; // a write under way when the device went
    bool passesOn; // a write waits for the device, not for room in the driver's buffer
    Timeout timeout;
    bool refusesSettings; // SetCommState fails with ERROR_GEN_FAILURE while the device works
};

namespace {

constexpr Calls kSerialSys{ERROR_BAD_COMMAND, ERROR_BAD_COMMAND, true, Timeout::ShortCount, false};
constexpr Calls kUsbSer{ERROR_GEN_FAILURE, ERROR_OPERATION_ABORTED, true, Timeout::Cancelled, false};
constexpr Calls kUsbSerSent{ERROR_GEN_FAILURE, ERROR_OPERATION_ABORTED, true, Timeout::SentAnyway, false};
constexpr Calls kFtdi{ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_NOT_CONNECTED, false, Timeout::ShortCount,
                      false};
constexpr Calls kCh340{ERROR_GEN_FAILURE, ERROR_GEN_FAILURE, false, Timeout::ShortCount, true};

// A synchronous write is one transfer; between writes the driver holds
// nothing to count. A bridge's driver counts its buffer and its transfers,
// each whole. usbser.sys ignores SETXOFF. Buffer, transfer size, transfers,
// packet, chip:
constexpr std::uint32_t kWrite = 1U << 20;
constexpr unsigned kBridge = kUsb | kIntakeStops | kHolds | kDiscards;
constexpr Shape kUart{0, kWrite, 16, 1, 16, Count::None, kCommitted | kHolds | kDiscards};
constexpr Shape kBoard{0, kWrite, 16, 64, 128, Count::None, kUsb | kFastReader | kDiscards};

constexpr Family kFamilies[] = {
    {"serial.sys", kUart, &kSerialSys},
    {"usbser.sys", kBoard, &kUsbSer},
    {"usbser.sys, timed-out writes still sent", kBoard, &kUsbSerSent},
    {"FTDI VCP, 128-byte chip", {4096, 64, 2, 64, 128, Count::Whole, kBridge}, &kFtdi},
    {"FTDI VCP, 4 KiB chip", {4096, 64, 2, 64, 4096, Count::Whole, kBridge}, &kFtdi},
    {"CH340", {4096, 32, 2, 32, 128, Count::Whole, kBridge}, &kCh340},
};

Device *device = nullptr;
const Calls *calls = nullptr;
DWORD writeTimeout = 0;

BOOL Fail(DWORD error)
{
    ::SetLastError(error);
    return FALSE;
}

BOOL WINAPI Write(HANDLE, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED)
{
    *written = 0;
    if (device->Gone())
        return Fail(calls->gone);
    const auto *data = static_cast<const char *>(bytes);
    DWORD taken = 0;
    // A write passed on is the last thing its driver holds.
    const auto sent = [&] {
        return calls->passesOn ? count - std::min<DWORD>(count, device->Pending()) : taken;
    };
    device->AdvanceUntil(device->Now() + std::chrono::milliseconds(writeTimeout), [&] {
        taken += device->Take(data + taken, count - taken);
        return device->Gone() || device->cancelled || sent() == count;
    });
    *written = sent();
    if (*written == count)
        return TRUE;
    if (device->Gone())
        return Fail(calls->aborted);
    if (calls->passesOn && (device->cancelled || calls->timeout != Timeout::SentAnyway))
        device->DropUnsent();
    if (device->cancelled)
        return Fail(ERROR_OPERATION_ABORTED);
    if (calls->timeout == Timeout::ShortCount)
        return TRUE;
    *written = 0;
    return Fail(ERROR_SEM_TIMEOUT);
}

BOOL WINAPI Status(HANDLE, LPDWORD errors, LPCOMSTAT status)
{
    if (device->Gone())
        return Fail(calls->gone);
    *errors = 0;
    *status = COMSTAT{};
    status->cbOutQue = device->Counted();
    return TRUE;
}

BOOL WINAPI Escape(HANDLE, DWORD function)
{
    if (device->Gone())
        return Fail(calls->gone);
    if (function == SETXOFF || function == SETXON)
        device->Hold(function == SETXOFF);
    return TRUE;
}

BOOL WINAPI Purge(HANDLE, DWORD)
{
    if (device->Gone())
        return Fail(calls->gone);
    device->Discard();
    return TRUE;
}

BOOL WINAPI GetState(HANDLE, LPDCB dcb)
{
    if (device->Gone())
        return Fail(calls->gone);
    dcb->BaudRate = CBR_4800;
    dcb->ByteSize = 8;
    return TRUE;
}

BOOL WINAPI SetState(HANDLE, LPDCB)
{
    if (device->Gone() || calls->refusesSettings)
        return Fail(device->Gone() ? calls->gone : ERROR_GEN_FAILURE);
    return TRUE;
}

BOOL WINAPI SetTimeouts(HANDLE, LPCOMMTIMEOUTS timeouts)
{
    if (device->Gone())
        return Fail(calls->gone);
    writeTimeout = timeouts->WriteTotalTimeoutConstant;
    return TRUE;
}

DWORD WINAPI WaitFor(HANDLE, DWORD ms)
{
    device->AdvanceUntil(device->Now() + std::chrono::milliseconds(ms),
                         [] { return device->cancelled.load(); });
    return device->cancelled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

void WINAPI Nap(DWORD ms)
{
    device->Advance(std::chrono::milliseconds(ms));
}

// No kernel object's: only the table's calls see it.
const HANDLE kHandle = reinterpret_cast<HANDLE>(std::uintptr_t{0x5e000004});

} // namespace

std::span<const Family> Families()
{
    return kFamilies;
}

std::unique_ptr<comsend::serial::PortIo> Plug(const Family &family, Device &plugged)
{
    static const comsend::serial::Waker waker;
    static const comsend::KernelCalls table = [] {
        comsend::KernelCalls fake = comsend::SystemKernel();
        fake.WriteFile = Write;
        fake.ClearCommError = Status;
        fake.EscapeCommFunction = Escape;
        fake.PurgeComm = Purge;
        fake.GetCommState = GetState;
        fake.SetCommState = SetState;
        fake.SetCommTimeouts = SetTimeouts;
        fake.WaitForSingleObject = WaitFor;
        fake.Sleep = Nap;
        return fake;
    }();
    device = &plugged;
    calls = family.calls;
    comsend::UseKernelCalls(&table);
    return std::make_unique<comsend::serial::Win32PortIo>(kHandle, waker);
}

// A refusal from a device that works is one of the line settings, whatever
// its value; from one that has gone, an unplug.
void CheckSettings(Device &plugged)
{
    const comsend::SendAccount settings = comsend::serial::SetLine(
        static_cast<comsend::serial::Port>(reinterpret_cast<std::intptr_t>(kHandle)), {});
    const bool refused = !plugged.Gone() && calls->refusesSettings;
    EXPECT_EQ(settings.error, plugged.Gone() ? calls->gone : refused ? ERROR_GEN_FAILURE : 0);
    if (settings.error != 0) {
        EXPECT_EQ(comsend::SysErrorMessage(settings.error, settings.stage),
                  refused ? "The port does not take the line settings." : comsend::reason::kGone);
    }
}

} // namespace drivers
