// The serial layer's calls on a port, the same on every system and in
// comsend's own terms: a port it holds, the settings a line takes, what a
// call did (platform/sendaccount.h) and error values that keep the system's
// (platform/errorcodes.h). Each system implements them over its own calls
// (serial/posix, serial/win32); the form's kernel-named calls (portcalls)
// translate to them once. Any of them may take long (a Bluetooth port waits
// for its device), so the program makes them off the window's thread.
#pragma once

#include "serial/linetime.h"
#include "serial/longwrite.h"
#include "serial/waker.h"

#include "platform/errorcodes.h"
#include "platform/sendaccount.h"

#include <cstdint>
#include <span>

namespace comsend::serial {

// A port the layer holds: its descriptor on POSIX, the kernel's handle on
// Windows. It is never 0.
enum class Port : std::intptr_t {};

enum class Parity : std::uint8_t { None, Odd, Even, Mark, Space };

// The line Send runs. Everything not here is off: flow control of either
// kind, any replacing or dropping of bytes, and DTR and RTS.
struct LineSettings {
    std::uint32_t bitsPerSecond = 4800;
    std::uint8_t dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
};

struct Opened {
    Port port{};
    ErrorCode error = 0; // 0: the port is open
};

// Opens the named port for reading and writing, for exclusive and
// synchronous use: the open Connect makes.
Opened OpenPort(const char *name);
// Puts the settings into effect: {0} or why not, and whether the failure
// came while the line took its settings or from a device that has gone.
// Settings the port cannot honour are refused, the line left as it was.
SendAccount SetLine(Port port, const LineSettings &settings);
// Closes the port without waiting for its driver to send what it holds.
ErrorCode ClosePort(Port port);
// The long write (longwrite.h) on the port; runs on the thread whose waker
// is given, and a wake ends its waits.
SendAccount SendToPort(Port port, std::span<const char> bytes, const WriteControl &control,
                       const Waker &waker);

} // namespace comsend::serial
