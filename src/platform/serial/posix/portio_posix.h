// The long write's view of a POSIX terminal. The descriptor is
// non-blocking: a write takes what fits, or nothing, and poll() waits for
// room and for the waker, never longer than asked; a write that fails has
// written nothing, so its count is exact. TIOCOUTQ tells what the driver
// still holds, by its own count. tcflow() holds the output and tcflush()
// throws away what is queued.
//
// What each driver's answers are trusted for:
// - 8250 and other UARTs: the count is exact; the FIFO (16 bytes on a
//   16550) is not in it. Hold and discard work.
// - usbserial (ftdi_sio, ch341, cp210x, pl2303): the count is the driver's
//   buffer and each transfer under way, counted whole; the chip's own buffer
//   (128 bytes to 4 KiB) is not in it. There is no discard: tcflush() does
//   nothing, and what is queued still goes.
// - cdc_acm: each busy transfer buffer counts as 1,280 bytes however few it
//   holds; no discard either.
// - USB drivers free the bytes of a transfer that failed as if they had
//   left, so their count can fall to 0 while nothing left; after an unplug
//   every call fails with EIO (ENODEV or ENXIO from some).
// - A pseudo-terminal always counts 0: its bytes wait in its reader's buffer
//   (up to 64 KiB), where no discard of ours may reach them.
// The long write's rules stand on the line's rate instead (longwrite.h).
#pragma once

#include "serial/longwrite.h"
#include "serial/portio.h"
#include "serial/waker.h"
#include "systemcalls.h"

namespace comsend::serial {

// A pseudo-terminal may hold 64 KiB for its reader; a UART's FIFO is in
// the driver's count's shadow too, but no UART loses it by going away; any
// other device may be a USB adapter, whose chip holds up to 4 KiB.
inline constexpr DeviceTraits kPseudoTerminal{.unseenCapacity = 64 * 1024, .settle = {}};
inline constexpr DeviceTraits kUart{.unseenCapacity = 4096, .settle = {}};
inline constexpr DeviceTraits kUsbAdapter{.unseenCapacity = 4096, .settle = kUsbSettle};

class PosixPortIo final : public PortIo {
public:
    PosixPortIo(int fd, const Waker &waker, DeviceTraits traits, const SystemCalls &calls = System());

    Failure Prepare() override { return {}; }
    Failure Format(LineFormat &format) override;
    Written Write(const char *bytes, std::uint32_t count) override;
    Queue Queued() override;
    void Wait(Clock::duration timeout, bool forRoom) override;
    void Pause(Clock::duration duration) override;
    Failure HoldOutput() override;
    Failure ResumeOutput() override;
    Failure DiscardOutput() override;
    DeviceTraits Traits() const override { return traits_; }

private:
    Failure Checked(int result) const;

    int fd_;
    int wakeFd_;
    DeviceTraits traits_;
    const SystemCalls &calls_;
};

// Whether an errno value means the device has gone.
bool MeansGone(int error);

} // namespace comsend::serial
