// The long write's view of a Windows serial port. The handle is synchronous:
// a write returns once the driver has passed its bytes on (serial.sys: to
// the UART; usbser.sys: to the device), or once the write timeout has run
// out, which is set once to the stall margin so that a device that pauses
// for a while never fails a write. The write is one step of the line, so a
// moving line returns it within a step. A cancel wakes the port thread's
// waits and cancels its synchronous I/O (waker_win32.h).
//
// What each driver's answers are trusted for:
// - serial.sys: a write that times out returns TRUE with the count it sent,
//   exact; ClearCommError's cbOutQue counts only what a write still has to
//   pass on, 0 between writes. Hold (SETXOFF) and purge work.
// - usbser.sys (USB CDC boards): a write that times out fails with
//   ERROR_SEM_TIMEOUT and reports 0, whether or not it sent its bytes, so
//   its count cannot be vouched for; SETXOFF may be ignored.
// - FTDI's, Silicon Labs' and WCH's bridge drivers: cbOutQue is the driver's
//   buffer; the chip holds 128 bytes to 4 KiB that no count shows.
// - Some virtual ports have no status query: it fails with
//   ERROR_INVALID_FUNCTION or ERROR_INVALID_PARAMETER, and the port cannot
//   say what it holds. Removal values are in faults.h.
// The long write's rules stand on the line's rate instead (longwrite.h).
#pragma once

#include "serial/longwrite.h"
#include "serial/portio.h"
#include "serial/waker.h"

#include <windows.h>

namespace comsend::serial {

// Any port may be a USB adapter, whose chip holds up to 4 KiB.
inline constexpr DeviceTraits kAnyPort{.unseenCapacity = 4096, .settle = kUsbSettle};

class Win32PortIo final : public PortIo {
public:
    Win32PortIo(HANDLE port, const Waker &waker);

    Failure Prepare() override;
    Failure Format(LineFormat &format) override;
    Written Write(const char *bytes, std::uint32_t count) override;
    Queue Queued() override;
    void Wait(Clock::duration timeout, bool forRoom) override;
    void Pause(Clock::duration duration) override;
    Failure HoldOutput() override;
    Failure ResumeOutput() override;
    Failure DiscardOutput() override;
    DeviceTraits Traits() const override { return kAnyPort; }

private:
    Failure Checked(BOOL done) const;

    HANDLE port_;
    HANDLE wakeEvent_;
};

} // namespace comsend::serial
