#include "systemcalls.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace comsend::serial {

namespace {

int OutQueue(int fd, int *bytes)
{
    return ::ioctl(fd, TIOCOUTQ, bytes);
}

constexpr SystemCalls kSystem{
    .write = ::write,
    .outq = OutQueue,
    .flow = ::tcflow,
    .flush = ::tcflush,
    .poll = ::poll,
    .getattr = ::tcgetattr,
};

} // namespace

const SystemCalls &System()
{
    return kSystem;
}

} // namespace comsend::serial
