// A write of a whole text to a port, in short steps, so that whoever runs it
// can keep a window alive between them, with an account of what left the
// port that never claims a byte that is not known to have left.
//
// Writing: each write hands the driver at most what the line carries in one
// step, so that a driver that ignores its write timeout holds a step up, not
// the whole text, and a write that fails leaves at most that much in doubt.
// The driver's queue is kept about four steps deep; a device that cannot
// say what it holds (see below) is given what it takes.
//
// Ending: the write succeeds once every byte has been handed over and the
// driver says it holds none. It fails when a write fails, when the driver
// can no longer say what it holds (its queue query fails: the device has
// gone), when it is cancelled, or when the device has stalled: no byte has
// left for the stall margin beyond the line time of what the driver still
// holds. Measuring from the last byte that left, and counting what is
// queued, keeps a slow but moving line alive however long the text, and
// ends a stuck one within seconds.
//
// A device that cannot say what it holds answers that it holds nothing while
// refusing bytes, or while taking more than the line can have carried and
// an adapter chip holds besides (a pseudo-terminal, whose bytes wait in its
// reader's buffer; a device whose driver counts only what it has not yet
// passed on). Such a device is
// taken to hold everything handed to it, but never more than it held when
// it first refused bytes, nor kUnseenHoldLimit: a far end that reads slowly
// keeps the write alive, and one that stopped fails it within the line time
// of that.
//
// A write that does not succeed throws away what the driver still holds, so
// that nothing trickles out later. Output is held while the queue is
// counted and thrown away; a hold that the queue shows was not kept, or a
// discard or count that fails, leaves the account a range: Sent() is what is
// known to have left, SentAtMost() what may have.
#pragma once

#include "platform/kernel.h"

#include <chrono>

namespace comsend {

inline constexpr std::chrono::seconds kStallMargin{3};
// Short enough for a window to stay responsive between steps.
inline constexpr std::chrono::milliseconds kStepTime{50};
// The most a Linux terminal buffers for its reader.
inline constexpr DWORD kUnseenHoldLimit = 64 * 1024;

class PortSend {
public:
    using Clock = std::chrono::steady_clock;

    PortSend(HANDLE port, const char *bytes, DWORD count);

    // Moves the write on for about kStepTime; false once it has ended.
    bool Step();
    // Ends the write at the next step, throwing away what the driver holds.
    void Cancel() { cancelled_ = true; }

    // Bytes known to have left the port: handed over and no longer held.
    DWORD Sent() const { return sent_; }
    // Bytes that may have left it; more than Sent() only when the driver
    // could not say exactly what it still held at the end.
    DWORD SentAtMost() const { return sentAtMost_; }
    DWORD Total() const { return count_; }
    // 0 once every byte has left; otherwise why the write did not finish
    // (ERROR_SEND_CANCELLED when cancelled, ERROR_TIMEOUT when stalled).
    DWORD Error() const { return error_; }

private:
    void AwaitDrain() const;
    DWORD Room() const;
    void WriteSome(Clock::time_point start);
    void Observe(DWORD queued);
    DWORD Carried() const;
    bool Stalled(Clock::time_point now) const;
    void End(DWORD error);
    void Account();

    HANDLE port_;
    const char *bytes_;
    DWORD count_;
    Clock::duration characterTime_;
    DWORD chunk_;             // what the line carries in one step
    DWORD written_ = 0;       // reported taken by the driver
    DWORD unsure_ = 0;        // more that a failed write may have taken
    DWORD queued_ = 0;        // what the driver said it held, last time
    bool refused_ = false;    // the last write found no room
    bool cannotTell_ = false; // the device holds bytes it does not report
    DWORD unseenHold_ = kUnseenHoldLimit;
    DWORD sent_ = 0;
    DWORD sentAtMost_ = 0;
    Clock::time_point start_;
    Clock::time_point lastProgress_;
    bool cancelled_ = false;
    bool ended_ = false;
    DWORD error_ = 0;
};

} // namespace comsend
