#include "portsend.h"

#include "portio.h"

#include <algorithm>
#include <thread>

namespace comsend {

PortSend::PortSend(HANDLE port, const char *bytes, DWORD count)
    : port_(port), bytes_(bytes), count_(count),
      byteTime_(std::chrono::duration_cast<Clock::duration>(portio::ByteTime(port))),
      lastProgress_(Clock::now())
{}

bool PortSend::Step()
{
    if (ended_)
        return false;
    if (cancelled_) {
        End(ERROR_OPERATION_ABORTED);
        return false;
    }
    DWORD error = 0;
    if (written_ < count_) {
        DWORD taken = 0;
        error = portio::Write(port_, bytes_ + written_, count_ - written_, kStepTime, taken);
        written_ += std::min(taken, count_ - written_);
    } else if (queued_ > 0) {
        // Everything is with the driver: wait for it to leave the port.
        std::this_thread::sleep_for(kStepTime);
    }
    queued_ = std::min(portio::Queued(port_), written_);
    const auto now = Clock::now();
    NoteProgress(now);
    if (error != 0)
        End(error);
    else if (written_ == count_ && queued_ == 0)
        End(0);
    else if (now - lastProgress_ > byteTime_ * queued_ + kStallMargin)
        End(ERROR_TIMEOUT);
    return !ended_;
}

void PortSend::NoteProgress(Clock::time_point now)
{
    if (Sent() > lastSent_) {
        lastSent_ = Sent();
        lastProgress_ = now;
    }
}

void PortSend::End(DWORD error)
{
    if (error != 0)
        queued_ = std::min(portio::DiscardQueued(port_), written_);
    error_ = error;
    ended_ = true;
}

} // namespace comsend
