// Closing a terminal without waiting for its driver. The kernel's close of
// a serial line waits until the driver has sent what it holds, up to its
// closing wait (30 s by default); the cdc_acm and usbserial drivers cannot
// throw their queue away, so after a stalled send the close would hang that
// long, and at the process's exit the port would stay taken meanwhile. What
// is still queued is thrown away where the driver can, and a close that
// would still wait is cut short by a signal aimed at the closing thread (the
// wait gives way to any signal), after which the driver drops the rest.
// The closing wait itself is left alone: it is a setting of the device that
// outlives comsend's use of it, and only root may change it.
#pragma once

namespace comsend {

// Closes the descriptor; 0 or the errno value of a close that failed.
int CloseWithoutWaiting(int fd);

} // namespace comsend
