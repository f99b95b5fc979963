// The ports this process holds open.
//
// A handle that is not among them is refused by every port operation, so a
// stale value can never reach a descriptor that has since been reused for
// something else. At exit, a normal one or a quick one (posix/quickexit.h),
// a fatal signal's included, the exclusive mode and the lock of the ports
// still held are cleared, the exclusive mode as the kernel's own
// release at exit would do on other systems: Linux drops a serial port's
// exclusive mode with its last close, but a pseudo-terminal keeps it for as
// long as its far end stays open, which would lock everyone else out of it
// after we are gone. What is still queued is thrown away and the lock
// dropped, and at a normal exit the ports are closed without waiting for
// their drivers (closeport.h). The quick release reads only atomics and makes
// system calls, so a signal handler may end the process with QuickExit at any
// moment.
#pragma once

namespace comsend::OpenPorts {

// False when no more ports can be held.
bool Add(int fd);
void Remove(int fd);
bool Contains(int fd);

} // namespace comsend::OpenPorts
