// A serial device as the long write meets it, on a clock of its own: what a
// driver is handed waits in the driver's buffer, goes to the device in
// transfers, waits in the device's own buffer (an adapter's chip, a UART's
// FIFO, a board's receive buffer, a pseudo-terminal's buffer for its reader)
// and leaves it at the far end's pace. Time passes only while a call waits,
// so a case of minutes takes a moment. The device can stop taking bytes and
// start again, have its transfers fail (its driver frees their bytes as if
// they had left, and the line dies with what the chip held), and go.
#pragma once

#include "serial/portio.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>

namespace drivers {

using comsend::serial::Clock;
using Duration = Clock::duration;

// What the driver's queue count says.
enum class Count {
    Whole,       // its buffer, and each transfer under way as a whole
    PerTransfer, // a transfer's full size for each busy one
    None,        // always 0
};

// What sets a device apart beyond its buffers.
enum Trait : unsigned {
    kUsb = 1,         // its transfers fail before an unplug is known
    kIntakeStops = 2, // with flow control off a bridge's line never waits: what stops is its intake
    kFastReader = 4,  // the far end reads far faster than the line (a board, a process)
    kCommitted = 8,   // what the chip holds leaves whatever happens (a UART's FIFO)
    kHolds = 16,      // output can be held
    kDiscards = 32,   // what the driver holds can be thrown away
};

struct Shape {
    std::uint32_t buffer;    // the driver's own; 0: none
    std::uint32_t transfer;  // the most one transfer carries
    std::uint32_t transfers; // at most this many under way; 0: the buffer feeds the chip
    std::uint32_t packet;    // the device takes this much at once, only with room for all of it
    std::uint32_t chip;      // the device's own buffer; without buffer and transfers, writes go there
    Count count;
    unsigned traits;

    bool Has(Trait trait) const { return (traits & trait) != 0; }
};

class Device final : public comsend::serial::TimeSource {
public:
    Device(const Shape &shape, Duration characterTime);

    Clock::time_point Now() const override { return now_; }
    void Advance(Duration duration);
    void AdvanceUntil(Clock::time_point deadline, const std::function<bool()> &done);
    void At(Clock::time_point time, std::function<void()> event) { events_.emplace(time, std::move(event)); }
    // Until the line has carried all it still can.
    void RunOut() { Advance(characterTime_ * (Pending() + chip_ + 1) + std::chrono::seconds(1)); }

    // The driver's side.
    std::uint32_t Room() const;
    std::uint32_t Take(const char *bytes, std::uint32_t count);
    std::uint32_t Counted() const;
    std::uint32_t Pending() const; // not yet in the device
    // Takes back what the last transfer, a write's own, has not passed on.
    void DropUnsent();
    void Hold(bool held) { held_ = shape_.Has(kHolds) && held; }
    void Discard();

    // The case's side.
    void Stop(bool stopped) { stopped_ = stopped; }
    void FailTransfers();
    void Unplug();
    bool Gone() const { return gone_; }
    std::atomic<bool> cancelled{false};
    // What the far end got; a committed chip's bytes are as good as there.
    std::uint32_t Arrived() const { return received_ + (shape_.Has(kCommitted) ? chip_ : 0); }
    const std::string &Taken() const { return taken_; }

private:
    struct Transfer {
        std::uint32_t size;
        std::uint32_t left;
    };
    void Pump();
    void Drain(Duration duration);

    Shape shape_;
    Duration characterTime_;
    Duration readTime_;
    Clock::time_point now_;
    std::multimap<Clock::time_point, std::function<void()>> events_;
    std::string taken_;
    std::uint32_t buffered_ = 0;
    std::deque<Transfer> transfers_;
    std::uint32_t chip_ = 0;
    std::uint32_t received_ = 0;
    Duration credit_{};
    bool held_ = false;
    bool stopped_ = false;
    bool failing_ = false;
    bool gone_ = false;
};

} // namespace drivers
