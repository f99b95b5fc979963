#include "device.h"

#include <algorithm>
#include <numeric>

namespace drivers {

namespace {

// A board or a reading process takes its bytes this much faster than the line.
constexpr int kReaderSpeedUp = 10;

} // namespace

Device::Device(const Shape &shape, Duration characterTime)
    : shape_(shape), characterTime_(characterTime),
      readTime_(shape.Has(kFastReader) ? characterTime / kReaderSpeedUp : characterTime)
{}

// In steps of a character at most, so that room the line makes is filled
// within one.
void Device::Advance(Duration duration)
{
    const auto end = now_ + duration;
    while (now_ < end) {
        auto next = std::min(end, now_ + characterTime_);
        if (!events_.empty())
            next = std::clamp(events_.begin()->first, now_, next);
        Pump();
        Drain(next - now_);
        now_ = next;
        while (!events_.empty() && events_.begin()->first <= now_) {
            const auto event = std::move(events_.begin()->second);
            events_.erase(events_.begin());
            event();
        }
    }
    Pump();
}

void Device::AdvanceUntil(Clock::time_point deadline, const std::function<bool()> &done)
{
    while (!done() && now_ < deadline)
        Advance(std::min<Duration>(deadline - now_, characterTime_));
}

std::uint32_t Device::Room() const
{
    if (shape_.buffer > 0)
        return shape_.buffer - buffered_;
    if (shape_.transfers > 0)
        return transfers_.size() < shape_.transfers ? shape_.transfer : 0;
    return shape_.chip - chip_;
}

std::uint32_t Device::Take(const char *bytes, std::uint32_t count)
{
    const std::uint32_t taken = std::min(count, Room());
    taken_.append(bytes, taken);
    if (shape_.buffer > 0)
        buffered_ += taken;
    else if (shape_.transfers > 0 && taken > 0)
        transfers_.push_back({taken, taken});
    else
        chip_ += taken;
    Pump();
    return taken;
}

std::uint32_t Device::Counted() const
{
    if (shape_.count == Count::PerTransfer)
        return static_cast<std::uint32_t>(transfers_.size()) * shape_.transfer;
    return shape_.count == Count::None
               ? 0
               : std::accumulate(transfers_.begin(), transfers_.end(), buffered_,
                                 [](auto sum, const Transfer &t) { return sum + t.size; });
}

std::uint32_t Device::Pending() const
{
    return std::accumulate(transfers_.begin(), transfers_.end(), buffered_,
                           [](auto sum, const Transfer &t) { return sum + t.left; });
}

void Device::DropUnsent()
{
    if (transfers_.empty())
        return;
    taken_.resize(taken_.size() - transfers_.back().left);
    transfers_.pop_back();
}

void Device::Discard()
{
    if (shape_.Has(kDiscards)) {
        buffered_ = 0;
        transfers_.clear();
    }
}

void Device::FailTransfers()
{
    failing_ = true;
    chip_ = 0;
    Pump();
}

void Device::Unplug()
{
    received_ = Arrived();
    chip_ = 0;
    gone_ = true;
}

// The driver's buffer feeds its transfers, and the device takes them a
// packet at a time while it has room.
void Device::Pump()
{
    if (gone_)
        return;
    if (failing_) {
        buffered_ = 0;
        transfers_.clear();
        return;
    }
    for (;;) {
        while (shape_.transfers > 0 && buffered_ > 0 && transfers_.size() < shape_.transfers) {
            const std::uint32_t size = std::min(buffered_, shape_.transfer);
            transfers_.push_back({size, size});
            buffered_ -= size;
        }
        std::uint32_t *left = !transfers_.empty()                      ? &transfers_.front().left
                              : shape_.transfers == 0 && buffered_ > 0 ? &buffered_
                                                                       : nullptr;
        const std::uint32_t packet = left != nullptr ? std::min(*left, shape_.packet) : 0;
        if (left == nullptr || (stopped_ && shape_.Has(kIntakeStops)) || shape_.chip - chip_ < packet)
            return;
        *left -= packet;
        chip_ += packet;
        if (!transfers_.empty() && transfers_.front().left == 0)
            transfers_.pop_front();
    }
}

// A byte arrives once a whole character time has passed for it; time the
// line stands idle is not made up for.
void Device::Drain(Duration duration)
{
    const bool stopped = held_ || failing_ || gone_ || (stopped_ && !shape_.Has(kIntakeStops));
    credit_ = stopped || chip_ == 0 ? Duration{} : credit_ + duration;
    const auto count = static_cast<std::uint32_t>(std::min<std::int64_t>(chip_, credit_ / readTime_));
    chip_ -= count;
    received_ += count;
    credit_ = chip_ == 0 ? Duration{} : credit_ - readTime_ * count;
}

} // namespace drivers
