// The POSIX waker's inside: an eventfd that a wake makes readable.
#pragma once

#include "serial/waker.h"

namespace comsend::serial {

struct Waker::Native {
    int fd = -1;
    int error = 0;
};

} // namespace comsend::serial
