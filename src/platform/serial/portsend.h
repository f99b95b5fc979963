// A write of a whole text to a port, in short steps, so that whoever runs it
// can keep a window alive between them, with an exact account of what left
// the port when it does not finish.
//
// The write has ended when every byte has left the driver, when a write
// fails, when it is cancelled, or when the device has stalled: no byte has
// been taken for the stall margin beyond the line time of what the driver
// still holds. Measuring from the last byte taken, and counting what is
// queued, keeps a slow but moving line alive however long the text, and ends
// a stuck one within seconds. A write that does not finish discards what the
// driver still holds, so that nothing trickles out later and Sent() is
// exactly what left the port.
#pragma once

#include "platform/kernel.h"

#include <chrono>

namespace comsend {

inline constexpr std::chrono::seconds kStallMargin{3};
// Short enough for a window to stay responsive between steps.
inline constexpr std::chrono::milliseconds kStepTime{50};

class PortSend {
public:
    using Clock = std::chrono::steady_clock;

    PortSend(HANDLE port, const char *bytes, DWORD count);

    // Moves the write on for at most about kStepTime; false once it has ended.
    bool Step();
    // Ends the write at the next step, discarding what the driver holds.
    void Cancel() { cancelled_ = true; }

    // Bytes that have left the port (or, while the write goes on, that the
    // driver has taken), and the whole count.
    DWORD Sent() const { return written_ - queued_; }
    DWORD Total() const { return count_; }
    // 0 once every byte has left; otherwise why the write did not finish.
    DWORD Error() const { return error_; }

private:
    void NoteProgress(Clock::time_point now);
    void End(DWORD error);

    HANDLE port_;
    const char *bytes_;
    DWORD count_;
    Clock::duration byteTime_;
    DWORD written_ = 0; // handed to the driver
    DWORD queued_ = 0;  // of those, still held by the driver
    DWORD lastSent_ = 0;
    Clock::time_point lastProgress_;
    bool cancelled_ = false;
    bool ended_ = false;
    DWORD error_ = 0;
};

} // namespace comsend
