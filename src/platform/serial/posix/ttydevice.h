// Whether a character device is a terminal, told before it is opened:
// opening some devices has side effects, so a device the OS says is no
// terminal is never opened.
#pragma once

#include <string_view>
#include <sys/types.h>

namespace comsend {

enum class TtyVerdict { Terminal, NotTerminal, Unknown };

// Whether the device is this process's controlling terminal, or the
// terminal on its standard input, output or error.
bool IsOwnTerminal(dev_t device);

// Whether the device is the slave side of a pseudo-terminal (Unix98's
// majors 136 to 143, or a legacy one's, 3).
bool IsPseudoTerminalSlave(dev_t device);

// Whether the device is one of the kernel's own UARTs (/dev/ttyS*: major 4,
// minors from 64).
bool IsSerialUart(dev_t device);

// Looks the device number up in the kernel's table of terminal drivers.
// Unknown when the table cannot be read; the caller then checks the opened
// descriptor instead.
TtyVerdict ClassifyCharDevice(dev_t device);

// The lookup on the table's text (one driver a line: name, node, major,
// minor or minor range, type). Only the "serial" type and pseudo-terminal
// slaves are serial lines: virtual consoles, the "system" devices (/dev/tty,
// /dev/console, /dev/ptmx) and pseudo-terminal masters are not.
TtyVerdict ClassifyInDriverTable(std::string_view table, unsigned major, unsigned minor);

} // namespace comsend
