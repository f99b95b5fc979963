// The system's calls the POSIX long write makes on a port, through one
// table. The program always uses the system's own; a test may put another
// in its place, to play the drivers users plug in (a USB adapter that is
// pulled out, a driver that counts whole buffers) on a clock of its own.
#pragma once

#include <poll.h>
#include <sys/types.h>
#include <termios.h>

namespace comsend::serial {

struct SystemCalls {
    ssize_t (*write)(int fd, const void *bytes, size_t count);
    int (*outq)(int fd, int *bytes); // ioctl TIOCOUTQ
    int (*flow)(int fd, int action); // tcflow
    int (*flush)(int fd, int queue); // tcflush
    int (*poll)(pollfd *fds, nfds_t count, int timeoutMs);
    int (*getattr)(int fd, termios *tio); // tcgetattr
};

const SystemCalls &System();

} // namespace comsend::serial
