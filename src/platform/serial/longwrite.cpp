#include "longwrite.h"

#include "platform/errorcodes.h"

#include <algorithm>

namespace comsend::serial {

namespace {

// Where the line's speed is unknown, a write is as big as a page.
constexpr std::uint32_t kUnknownRateChunk = 4096;

using Duration = Clock::duration;

// One write, from its first byte to its account; its state lives here, on
// the stack of the thread that makes the port calls.
class Writer {
public:
    Writer(PortIo &port, const TimeSource &time, std::span<const char> bytes, const WriteControl &control)
        : port_(port), time_(time), bytes_(bytes), count_(static_cast<std::uint32_t>(bytes.size())),
          control_(control)
    {}

    SendAccount Run();

private:
    bool Cancelled() const { return control_.cancelled != nullptr && control_.cancelled->load(); }
    std::uint32_t LineBound(Clock::time_point now) const;
    void Release(std::uint32_t left);
    std::uint32_t Outstanding() const { return handed_ - knownLeft_; }
    std::uint32_t Room() const;
    bool Hand(std::uint32_t room, Failure &failure);
    void WaitAtLeast(Duration least, Duration timeout, bool forRoom);
    Duration IdleWait(Clock::time_point now) const;
    void Observe(std::uint32_t queued, Clock::time_point now);
    bool Done(Clock::time_point now) const;
    bool Stalled(Clock::time_point now) const;
    SendAccount End(Failure failure);
    SendAccount Gone(ErrorCode error) const;
    SendAccount Settle(ErrorCode error);
    void Publish() const;

    PortIo &port_;
    const TimeSource &time_;
    std::span<const char> bytes_;
    std::uint32_t count_;
    const WriteControl &control_;
    Duration characterTime_{};
    Duration settle_{};
    std::uint32_t chunk_ = kUnknownRateChunk; // what the line carries in one step
    std::uint32_t depth_ = kUnknownRateChunk * kQueueSteps;
    std::uint32_t handed_ = 0;
    std::uint32_t unsure_ = 0; // more that a failed write may have taken
    std::uint32_t knownLeft_ = 0;
    std::uint32_t queued_ = 0;       // the driver's count, as far as it is trusted
    std::uint32_t released_ = 0;     // left the driver, by its count
    Clock::time_point lastObserved_; // when the driver's count was last read
    Clock::time_point lineFree_;     // the earliest the line can have carried all that left the driver
    Clock::time_point lastMoved_;    // when knownLeft_ last grew
    Clock::time_point lastBusy_;     // when the driver last held or took a byte
};

// What the line can have carried of what left the driver: each byte once it
// left, after the bytes before it. A line that stood while the driver held
// its bytes (a USB bridge whose transfers waited) has not carried them
// meanwhile, however long the write has run.
std::uint32_t Writer::LineBound(Clock::time_point now) const
{
    if (characterTime_ <= Duration::zero() || lineFree_ <= now)
        return released_;
    const auto unfinished = (lineFree_ - now + characterTime_ - Duration(1)) / characterTime_;
    return released_ - static_cast<std::uint32_t>(std::min<decltype(unfinished)>(unfinished, released_));
}

// Bytes that the driver no longer holds left it after its count was last read.
void Writer::Release(std::uint32_t left)
{
    if (left <= released_)
        return;
    lineFree_ = std::max(lineFree_, lastObserved_) + characterTime_ * (left - released_);
    released_ = left;
}

// A step of the line at most, and never more outstanding than the queue's
// depth: the write runs at the line's pace however fast the device takes.
std::uint32_t Writer::Room() const
{
    const std::uint32_t depthLeft = depth_ - std::min(Outstanding(), depth_);
    return std::min({chunk_, count_ - handed_, depthLeft});
}

// One write; false once the write has to end, with why in `failure`.
bool Writer::Hand(std::uint32_t room, Failure &failure)
{
    const Written written = port_.Write(bytes_.data() + handed_, room);
    const std::uint32_t taken = std::min(written.taken, room);
    handed_ += taken;
    if (taken > 0)
        lastBusy_ = time_.Now();
    const bool vouched = written.mayHaveTaken <= taken;
    if (!written.failure || (written.failure.fault == Fault::Timeout && vouched)) {
        if (taken == 0)
            WaitAtLeast(std::max<Duration>(characterTime_, std::chrono::milliseconds(1)), kStep, true);
        return true;
    }
    unsure_ = std::min(std::max(written.mayHaveTaken, taken), room) - taken;
    failure = written.failure;
    return false;
}

// A wait that the port may end early (room, a spurious wake-up) still lasts
// `least`, so that a driver that keeps saying "no room" is never asked in a
// busy loop.
void Writer::WaitAtLeast(Duration least, Duration timeout, bool forRoom)
{
    const auto start = time_.Now();
    port_.Wait(timeout, forRoom);
    const Duration waited = time_.Now() - start;
    if (waited < least && !Cancelled())
        port_.Wait(least - waited, false);
}

// Nothing to hand over now: about as long as the line needs for what is
// outstanding, at least a millisecond, a step at most.
Duration Writer::IdleWait(Clock::time_point now) const
{
    Duration wait = characterTime_ * std::max<std::uint32_t>(Outstanding(), 1);
    if (handed_ == count_ && Outstanding() == 0)
        wait = std::max(settle_ - (now - lastBusy_), characterTime_ * (count_ - LineBound(now)));
    return std::clamp<Duration>(wait, std::chrono::milliseconds(1), kStep);
}

void Writer::Observe(std::uint32_t queued, Clock::time_point now)
{
    queued_ = std::min(queued, Outstanding());
    if (queued > 0)
        lastBusy_ = now;
    Release(handed_ - queued_);
    lastObserved_ = now;
    const std::uint32_t left = std::min(handed_ - queued_, LineBound(now));
    if (left > knownLeft_) {
        knownLeft_ = left;
        lastMoved_ = now;
    }
}

bool Writer::Done(Clock::time_point now) const
{
    return knownLeft_ == count_ && queued_ == 0 && now - lastBusy_ >= settle_;
}

bool Writer::Stalled(Clock::time_point now) const
{
    return now - lastMoved_ > kStallMargin + characterTime_ * Outstanding();
}

void Writer::Publish() const
{
    if (control_.knownLeft != nullptr)
        control_.knownLeft->store(knownLeft_);
    if (control_.observer)
        control_.observer({.handed = handed_, .knownLeft = knownLeft_, .queued = queued_});
}

SendAccount Writer::Run()
{
    LineFormat format;
    Failure failure = port_.Prepare();
    if (!failure)
        failure = port_.Format(format);
    if (failure)
        return {.error = failure.code};
    characterTime_ = std::chrono::duration_cast<Duration>(CharacterTime(format));
    settle_ = port_.Traits().settle;
    if (characterTime_ > Duration::zero())
        chunk_ = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(kStep / characterTime_));
    depth_ = chunk_ * kQueueSteps;
    lastObserved_ = lineFree_ = lastMoved_ = lastBusy_ = time_.Now();
    for (;;) {
        if (Cancelled())
            return Settle(kSendCancelled);
        const std::uint32_t room = Room();
        if (room > 0) {
            if (!Hand(room, failure))
                return Cancelled() ? Settle(kSendCancelled) : End(failure);
        } else {
            port_.Wait(IdleWait(time_.Now()), false);
        }
        const Queue queue = port_.Queued();
        if (queue.failure && queue.failure.fault != Fault::Unsupported)
            return End(queue.failure);
        const auto now = time_.Now();
        Observe(queue.failure ? 0 : queue.bytes, now);
        Publish();
        if (Done(now))
            return {.error = 0, .atLeast = count_, .atMost = count_};
        if (Stalled(now))
            return Settle(kSendStalled);
    }
}

SendAccount Writer::End(Failure failure)
{
    return failure.fault == Fault::Gone ? Gone(failure.code) : Settle(failure.code);
}

SendAccount Writer::Gone(ErrorCode error) const
{
    const std::uint32_t unseen = port_.Traits().unseenCapacity;
    return {.error = error,
            .atLeast = knownLeft_ > unseen ? knownLeft_ - unseen : 0,
            .atMost = handed_ + unsure_};
}

// The device still answers: what its driver holds is thrown away, with
// output held while it is counted, so that the account is exact wherever the
// driver lets it be. A queue that still moves a step after the hold shows a
// hold that was not kept.
SendAccount Writer::Settle(ErrorCode error)
{
    std::uint32_t upper = handed_ + unsure_;
    const bool holding = !port_.HoldOutput();
    const Queue counted = port_.Queued();
    const bool known = !counted.failure;
    Queue later = counted;
    if (known && counted.bytes > 0) {
        port_.Pause(kStep);
        later = port_.Queued();
    }
    const bool again = !later.failure;
    const bool kept = holding && again && later.bytes == counted.bytes;
    const std::uint32_t held = std::min(again ? later.bytes : counted.bytes, Outstanding());
    if (!known || held > 0) {
        const bool discarded = !port_.DiscardOutput();
        const Queue after = port_.Queued();
        if (kept && discarded && !after.failure)
            upper -= held - std::min(after.bytes, held);
    }
    port_.ResumeOutput();
    // What left the driver is on its way; once the line could have carried
    // it, it counts as known. That is a few steps of the line at the most.
    const std::uint32_t left = known ? handed_ - held : knownLeft_;
    Release(left);
    for (auto now = time_.Now(); LineBound(now) < left; now = time_.Now())
        port_.Pause(std::clamp<Duration>(characterTime_ * (left - LineBound(now)),
                                         std::chrono::milliseconds(1), kStep));
    const std::uint32_t atLeast = std::max(knownLeft_, std::min(left, LineBound(time_.Now())));
    return {.error = error, .atLeast = atLeast, .atMost = std::max(upper, atLeast)};
}

} // namespace

SendAccount LongWrite(PortIo &port, const TimeSource &time, std::span<const char> bytes,
                      const WriteControl &control)
{
    return Writer(port, time, bytes, control).Run();
}

} // namespace comsend::serial
