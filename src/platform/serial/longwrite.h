// The write of a whole text to a port, with an account of what left it that
// never claims a byte that is not known to have left. It runs to its end in
// one call, on the thread that makes the port calls, never on the window's.
//
// What a driver says is not the wire: a queue count can read 0 while nothing
// left (a USB driver frees the bytes of a transfer that failed), or count a
// whole buffer for a few bytes (cdc_acm counts 1,280 for each of its busy
// buffers); a pseudo-terminal counts nothing, its bytes waiting in its
// reader's buffer; a Windows driver counts only what a write still has to
// pass on. The line's rate is the one fact that always holds, so the rules
// stand on it:
//
// - No byte counts as known to have left before the line could have carried
//   it since it left the driver (the driver's count was last read holding
//   it), after the bytes before it, whatever the driver says: a line whose
//   bridge stood while the driver held the bytes (its USB transfers waited)
//   carried nothing meanwhile, and the chip it fills at once afterwards is
//   not on the wire. A byte counts only once the driver no longer holds it
//   by its own count, which is taken as no more than what was handed over
//   and not yet known to have left.
// - The driver is never handed more than what is known to have left plus a
//   few steps of the line (kQueueSteps): a device faster than the line (a
//   USB board, a pseudo-terminal) is given the text at the line's pace, and
//   a device that cannot tell what it holds never holds much.
// - Each write is offered one step of the line (kStep), so that a write that
//   fails leaves at most that much in doubt. A write that takes nothing waits
//   for room, a character time at least; everything waits on the port, so a
//   cancel wakes it.
// - A driver's timeout never ends the write by itself: a write that timed
//   out with a count it can vouch for goes on; one that cannot vouch for its
//   count (usbser.sys reports 0 for a write it may have sent) may have taken
//   what it was offered, so the write ends there, to send nothing twice.
// - The write has stalled once no byte has left for kStallMargin beyond the
//   line time of what is still outstanding: a slow line that keeps moving
//   never fails, and a stuck one ends within seconds.
// - It succeeds only when every byte has been handed over, the driver says it
//   holds none, the line could have carried the whole text, and, for a USB
//   device, the driver has held nothing for kUsbSettle: a hub reports a
//   device pulled out behind it up to a quarter of a second after its
//   transfers began to fail (it is polled every 256 ms), and in between the
//   driver frees the bytes as if they had left; the rest of the half second
//   is for a busy machine to act on the report.
//
// Ending otherwise: where the device still answers, output is held, what the
// driver holds is counted and thrown away, and output resumes; a hold that
// the count shows was not kept, or a discard that left bytes behind (the
// cdc_acm and usbserial drivers have none), makes the account a range. Once
// the line could have carried what had left the driver, that counts as known.
// Where the device has gone, nothing more can be learnt from it: what may
// have waited where no driver counts (DeviceTraits: an adapter's
// chip, a pseudo-terminal's buffer) is taken off what is known to have left.
// So always: known to have left <= arrived <= may have left.
#pragma once

#include "serial/portio.h"

#include "platform/sendaccount.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace comsend::serial {

inline constexpr std::chrono::milliseconds kStep{50};
inline constexpr std::uint32_t kQueueSteps = 4;
inline constexpr std::chrono::seconds kStallMargin{3};
inline constexpr std::chrono::milliseconds kUsbSettle{500};

// Where the write stands, after each step.
struct WriteState {
    std::uint32_t handed = 0;    // taken by the driver
    std::uint32_t knownLeft = 0; // known to have left the port
    std::uint32_t queued = 0;    // held by the driver, as far as it is trusted
};

struct WriteControl {
    // Set by another thread to end the write; the port's canceller wakes it.
    const std::atomic<bool> *cancelled = nullptr;
    // What is known to have left, for a progress box on another thread.
    std::atomic<std::uint32_t> *knownLeft = nullptr;
    // Called after each step (the UART rig cues its unplugs by it).
    std::function<void(const WriteState &)> observer;
};

SendAccount LongWrite(PortIo &port, const TimeSource &time, std::span<const char> bytes,
                      const WriteControl &control);

} // namespace comsend::serial
