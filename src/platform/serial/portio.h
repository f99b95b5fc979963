// What the long write needs of a port, in the serial layer's own terms: hand
// the driver bytes, ask what it still holds, wait for room or for a while,
// hold, discard and resume its output, and read the line's format. Each
// operating system gives one implementation over its own calls
// (posix/portio_posix.cpp, win32/portio_win32.cpp); the tests give the long
// write models of the drivers users plug in, on a clock of their own.
//
// A failure keeps the system's error value and says what it means for the
// write: that the device has gone, that the driver gave up waiting, that the
// port has no such call, or anything else. Which values mean which is the
// operating system's knowledge, so each implementation sorts them.
#pragma once

#include "serial/linetime.h"

#include "platform/errorcodes.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace comsend::serial {

enum class Fault {
    None,
    Gone,        // the device was removed, or its line hung up
    Timeout,     // the driver gave up waiting for the device
    Unsupported, // the port has no such call: it cannot say
    Other,
};

struct Failure {
    ErrorCode code = 0;
    Fault fault = Fault::None;

    explicit operator bool() const { return code != 0; }
};

// What one write did. `taken` is what the driver reported taking; where the
// report cannot be vouched for (a write that failed), it may have taken up
// to `mayHaveTaken`.
struct Written {
    Failure failure;
    std::uint32_t taken = 0;
    std::uint32_t mayHaveTaken = 0;
};

struct Queue {
    Failure failure;
    std::uint32_t bytes = 0;
};

using Clock = std::chrono::steady_clock;

// A wait as the systems' calls take it: whole milliseconds, rounded up so
// that a short wait is never none, and a minute at most.
inline std::uint32_t Milliseconds(Clock::duration duration)
{
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(duration).count();
    return static_cast<std::uint32_t>(std::clamp<decltype(ms)>(ms, 0, 60'000));
}

// What a device keeps from its driver's counts.
struct DeviceTraits {
    // The most it may hold beyond what its driver counts: an adapter's chip,
    // or a pseudo-terminal's buffer for its reader. Bytes there are lost when
    // the device goes.
    std::uint32_t unseenCapacity;
    // How long its driver must have held nothing before that is believed (a
    // USB driver frees the bytes of transfers that fail before an unplug is
    // known).
    Clock::duration settle;
};

// The clock the write keeps time by; the port's waits pass on it too.
class TimeSource {
public:
    TimeSource() = default;
    TimeSource(const TimeSource &) = delete;
    TimeSource &operator=(const TimeSource &) = delete;
    virtual ~TimeSource() = default;
    virtual Clock::time_point Now() const = 0;
};

// The system's steady clock.
class SteadyTime final : public TimeSource {
public:
    Clock::time_point Now() const override { return Clock::now(); }
};

class PortIo {
public:
    PortIo() = default;
    PortIo(const PortIo &) = delete;
    PortIo &operator=(const PortIo &) = delete;
    virtual ~PortIo() = default;

    // Makes the port ready for the write (Windows: its write timeout).
    virtual Failure Prepare() = 0;
    // The line's format as the port has it now.
    virtual Failure Format(LineFormat &format) = 0;
    // Hands the driver up to `count` bytes. A driver with no room takes
    // nothing, which is no failure.
    virtual Written Write(const char *bytes, std::uint32_t count) = 0;
    // What the driver still holds for sending, by its own count.
    virtual Queue Queued() = 0;
    // Returns after `timeout`, once the driver has room when `forRoom`, or
    // at once when the write is to end (its canceller woke it).
    virtual void Wait(Clock::duration timeout, bool forRoom) = 0;
    // Returns after `duration`, whatever happens meanwhile.
    virtual void Pause(Clock::duration duration) = 0;
    // Stops and restarts the line's output, so that nothing leaves while the
    // queue is counted and thrown away; throws away what the driver holds.
    virtual Failure HoldOutput() = 0;
    virtual Failure ResumeOutput() = 0;
    virtual Failure DiscardOutput() = 0;
    virtual DeviceTraits Traits() const = 0;
};

} // namespace comsend::serial
