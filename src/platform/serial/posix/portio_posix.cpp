#include "portio_posix.h"

#include "linesettings.h"
#include "uniquefd.h"
#include "waker_posix.h"

#include <cerrno>
#include <chrono>

namespace comsend::serial {

namespace {

std::uint8_t DataBits(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

} // namespace

bool MeansGone(int error)
{
    return error == EIO || error == ENODEV || error == ENXIO;
}

PosixPortIo::PosixPortIo(int fd, const Waker &waker, DeviceTraits traits, const SystemCalls &calls)
    : fd_(fd), wakeFd_(waker.Get().fd), traits_(traits), calls_(calls)
{}

Failure PosixPortIo::Checked(int result) const
{
    if (result == 0)
        return {};
    const int error = errno;
    const Fault fault = MeansGone(error)                     ? Fault::Gone
                        : error == ENOTTY || error == EINVAL ? Fault::Unsupported
                                                             : Fault::Other;
    return {.code = static_cast<ErrorCode>(error), .fault = fault};
}

Failure PosixPortIo::Format(LineFormat &format)
{
    termios tio{};
    const Failure failure = Checked(RetryOnInterrupt([&] { return calls_.getattr(fd_, &tio); }));
    if (failure)
        return failure;
    const std::uint8_t dataBits = DataBits(tio.c_cflag);
    const bool extraStop = (tio.c_cflag & CSTOPB) != 0;
    format = {.bitsPerSecond = static_cast<std::uint32_t>(BitsPerSecond(cfgetospeed(&tio))),
              .dataBits = dataBits,
              .parity = (tio.c_cflag & PARENB) != 0,
              // With five data bits, CSTOPB is one and a half stop bits.
              .stopBits = !extraStop      ? StopBits::One
                          : dataBits == 5 ? StopBits::OneAndHalf
                                          : StopBits::Two};
    return {};
}

Written PosixPortIo::Write(const char *bytes, std::uint32_t count)
{
    const ssize_t result = RetryOnInterrupt([&] { return calls_.write(fd_, bytes, count); });
    if (result >= 0)
        return {.failure = {},
                .taken = static_cast<std::uint32_t>(result),
                .mayHaveTaken = static_cast<std::uint32_t>(result)};
    if (errno == EAGAIN)
        return {};
    return {.failure = {.code = ErrnoValue(), .fault = MeansGone(errno) ? Fault::Gone : Fault::Other}};
}

Queue PosixPortIo::Queued()
{
    int bytes = 0;
    const Failure failure = Checked(RetryOnInterrupt([&] { return calls_.outq(fd_, &bytes); }));
    return {.failure = failure, .bytes = !failure && bytes > 0 ? static_cast<std::uint32_t>(bytes) : 0};
}

// The port is always polled, so that a hang-up ends the wait too; a signal
// only cuts it short.
void PosixPortIo::Wait(Clock::duration timeout, bool forRoom)
{
    pollfd entries[] = {{fd_, static_cast<short>(forRoom ? POLLOUT : 0), 0}, {wakeFd_, POLLIN, 0}};
    calls_.poll(entries, wakeFd_ >= 0 ? 2 : 1, static_cast<int>(Milliseconds(timeout)));
}

void PosixPortIo::Pause(Clock::duration duration)
{
    RetryOnInterrupt([&] { return calls_.poll(nullptr, 0, static_cast<int>(Milliseconds(duration))); });
}

Failure PosixPortIo::HoldOutput()
{
    return Checked(RetryOnInterrupt([&] { return calls_.flow(fd_, TCOOFF); }));
}

Failure PosixPortIo::ResumeOutput()
{
    return Checked(RetryOnInterrupt([&] { return calls_.flow(fd_, TCOON); }));
}

Failure PosixPortIo::DiscardOutput()
{
    return Checked(RetryOnInterrupt([&] { return calls_.flush(fd_, TCOFLUSH); }));
}

} // namespace comsend::serial
