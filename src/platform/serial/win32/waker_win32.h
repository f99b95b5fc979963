// The Windows waker's inside: an event that every wait of the port thread
// watches, and that thread's handle, whose synchronous I/O a wake cancels
// (a write blocked in its driver returns at once, with what it sent).
#pragma once

#include "serial/waker.h"

#include <windows.h>

namespace comsend::serial {

struct Waker::Native {
    HANDLE event = nullptr;
    HANDLE thread = nullptr;
    DWORD error = 0;
};

} // namespace comsend::serial
