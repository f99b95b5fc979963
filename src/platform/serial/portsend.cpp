#include "portsend.h"

#include "portio.h"

#include <algorithm>
#include <thread>

namespace comsend {

namespace {

// Where the line's speed is unknown, a write is as big as a page.
constexpr DWORD kUnknownRateChunk = 4096;
// How many steps of the line the driver's queue is kept at.
constexpr DWORD kQueueSteps = 4;
// More than an adapter chip buffers past its driver (FTDI chips 128 to 512
// bytes, CP210x 576): bytes that leave the driver faster than the line
// carries them, beyond this, wait somewhere that cannot say so.
constexpr DWORD kChipBuffer = 1024;

PortSend::Clock::duration CharacterTimeOf(HANDLE port)
{
    LineFormat format;
    if (portio::Format(port, format) != 0)
        return PortSend::Clock::duration::zero();
    return std::chrono::duration_cast<PortSend::Clock::duration>(CharacterTime(format));
}

DWORD ChunkFor(PortSend::Clock::duration characterTime)
{
    if (characterTime <= PortSend::Clock::duration::zero())
        return kUnknownRateChunk;
    return std::max<DWORD>(1, static_cast<DWORD>(kStepTime / characterTime));
}

} // namespace

PortSend::PortSend(HANDLE port, const char *bytes, DWORD count)
    : port_(port), bytes_(bytes), count_(count), characterTime_(CharacterTimeOf(port)),
      chunk_(ChunkFor(characterTime_)), start_(Clock::now()), lastProgress_(start_)
{}

bool PortSend::Step()
{
    if (ended_)
        return false;
    if (cancelled_) {
        End(ERROR_SEND_CANCELLED);
        return false;
    }
    const auto start = Clock::now();
    refused_ = false;
    if (written_ < count_ && Room() > 0)
        WriteSome(start);
    else
        AwaitDrain();
    if (ended_)
        return false;
    DWORD queued = 0;
    if (const DWORD error = portio::Queued(port_, queued)) {
        End(error);
        return false;
    }
    Observe(queued);
    const auto now = Clock::now();
    if (written_ == count_ && queued_ == 0)
        End(0);
    else if (Stalled(now))
        End(ERROR_TIMEOUT);
    return !ended_;
}

// Everything is with the driver, or as much as it is given at a time: waits
// about as long as the line needs for what it holds, a step at most.
void PortSend::AwaitDrain() const
{
    const Clock::duration drain = characterTime_ * queued_;
    std::this_thread::sleep_for(drain > Clock::duration::zero() ? std::clamp<Clock::duration>(
                                    drain, std::chrono::milliseconds(1), kStepTime)
                                                                : Clock::duration(kStepTime));
}

// How much more the driver is given: its queue is kept kQueueSteps steps of
// the line deep, but a device that cannot say what it holds gets what it
// takes.
DWORD PortSend::Room() const
{
    const DWORD depth = chunk_ * kQueueSteps;
    return cannotTell_ ? count_ : depth - std::min(queued_, depth);
}

// Tops the driver's queue up, a step of the line at a time, for about a
// step; a write that finds no room waits for it.
void PortSend::WriteSome(Clock::time_point start)
{
    const DWORD room = Room();
    const auto chunkTime = std::chrono::duration_cast<std::chrono::milliseconds>(characterTime_ * chunk_);
    DWORD handed = 0;
    while (written_ < count_ && handed < room) {
        const DWORD offered = std::min({chunk_, count_ - written_, room - handed});
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(kStepTime - (Clock::now() - start));
        const auto wait = std::max({left, 2 * chunkTime, std::chrono::milliseconds(1)});
        const portio::Written result = portio::Write(port_, bytes_ + written_, offered, wait);
        const DWORD taken = std::min(result.taken, offered);
        written_ += taken;
        handed += taken;
        if (result.error != 0) {
            unsure_ = std::min(std::max(result.mayHaveTaken, taken), offered) - taken;
            End(result.error);
            return;
        }
        refused_ = taken == 0;
        if (taken < offered || Clock::now() - start >= kStepTime)
            return;
    }
}

void PortSend::Observe(DWORD queued)
{
    queued_ = std::min(queued, written_);
    const DWORD sent = written_ - queued_;
    if (queued_ == 0 && (refused_ || sent > Carried() + kChipBuffer))
        cannotTell_ = true;
    if (queued_ == 0 && refused_)
        unseenHold_ = std::min(unseenHold_, written_);
    if (sent > sent_) {
        sent_ = sent;
        lastProgress_ = Clock::now();
    }
    sentAtMost_ = sent_;
}

// The most the line can have carried since the write began; no bound where
// its speed is unknown.
DWORD PortSend::Carried() const
{
    if (characterTime_ <= Clock::duration::zero())
        return count_;
    const auto characters = (Clock::now() - start_) / characterTime_;
    return static_cast<DWORD>(std::min<decltype(characters)>(characters, count_));
}

bool PortSend::Stalled(Clock::time_point now) const
{
    const DWORD held = cannotTell_ && queued_ == 0 ? std::min(written_, unseenHold_) : queued_;
    return now - lastProgress_ > characterTime_ * held + kStallMargin;
}

void PortSend::End(DWORD error)
{
    if (error != 0)
        Account();
    else
        sent_ = sentAtMost_ = count_;
    error_ = error;
    ended_ = true;
}

// Throws away what the driver holds and settles the account. Output is held
// first, so that nothing leaves between the count and the discard; a queue
// that still moves a step later shows a hold that was not kept. Where the
// driver holds nothing it says so, nothing is thrown away: a
// pseudo-terminal's bytes are already in its reader's buffer.
void PortSend::Account()
{
    DWORD upper = written_ + unsure_;
    const bool holding = portio::HoldOutput(port_) == 0;
    DWORD counted = 0;
    const bool known = portio::Queued(port_, counted) == 0;
    DWORD later = counted;
    bool again = known;
    if (known && counted > 0) {
        std::this_thread::sleep_for(kStepTime);
        again = portio::Queued(port_, later) == 0;
    }
    const bool kept = holding && again && later == counted;
    const DWORD held = std::min(again ? later : counted, written_);
    if (known)
        sent_ = std::max(sent_, written_ - held);
    if (!known || held > 0) {
        const bool discarded = portio::DiscardOutput(port_) == 0;
        DWORD after = 0;
        if (kept && discarded && portio::Queued(port_, after) == 0)
            upper -= held - std::min(after, held);
    }
    portio::ResumeOutput(port_);
    sentAtMost_ = std::max(upper, sent_);
}

} // namespace comsend
