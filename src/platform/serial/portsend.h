// The long write on a port the serial layer holds: each system makes its
// port's PortIo (posix/portsend_posix.cpp, win32/portsend_win32.cpp) and runs
// the shared rules (longwrite.h) on the system's clock.
#pragma once

#include "serial/longwrite.h"
#include "serial/waker.h"

#include "platform/kernel.h"

#include <span>

namespace comsend {

// Runs on the thread whose waker is given; a wake ends its waits.
SendAccount SendToPort(HANDLE port, std::span<const char> bytes, const serial::WriteControl &control,
                       const serial::Waker &waker);

} // namespace comsend
