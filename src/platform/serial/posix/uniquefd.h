// A file descriptor that closes itself, the retry of calls that a signal
// interrupted, and the error value a failed call leaves.
#pragma once

#include "platform/errorcodes.h"

#include <cerrno>
#include <utility>

namespace comsend {

template <typename Call> auto RetryOnInterrupt(Call call)
{
    auto result = call();
    while (result == -1 && errno == EINTR)
        result = call();
    return result;
}

// The errno value of the call that just failed, as the layer keeps it.
inline serial::ErrorCode ErrnoValue()
{
    return static_cast<serial::ErrorCode>(errno);
}

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd &&other) noexcept : fd_(other.Release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd();

    bool Valid() const { return fd_ >= 0; }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

    // The same open file on the lowest free descriptor at or above `lowest`
    // (itself if it already is there); invalid if no descriptor is free.
    UniqueFd MovedAtOrAbove(int lowest);

private:
    int fd_ = -1;
};

} // namespace comsend
