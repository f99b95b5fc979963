#include "waker_posix.h"

#include "uniquefd.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace comsend::serial {

Waker::Waker() : native_(std::make_unique<Native>())
{
    native_->fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    native_->error = native_->fd < 0 ? errno : 0;
}

Waker::~Waker()
{
    if (native_->fd >= 0)
        ::close(native_->fd);
}

bool Waker::Ready() const
{
    return native_->fd >= 0;
}

std::uint32_t Waker::Error() const
{
    return static_cast<std::uint32_t>(native_->error);
}

void Waker::Wake()
{
    const std::uint64_t one = 1;
    RetryOnInterrupt([&] { return ::write(native_->fd, &one, sizeof one); });
}

void Waker::Clear()
{
    std::uint64_t count = 0;
    RetryOnInterrupt([&] { return ::read(native_->fd, &count, sizeof count); });
}

} // namespace comsend::serial
