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

// Looks the device number up in the kernel's table of terminal drivers.
// Unknown when the table cannot be read; the caller then checks the opened
// descriptor instead.
TtyVerdict ClassifyCharDevice(dev_t device);

// The lookup on the table's text (one driver a line: name, node, major,
// minor or minor range, type). Devices of the "system" type (/dev/tty,
// /dev/console, /dev/ptmx) and pseudo-terminal masters are not serial lines.
TtyVerdict ClassifyInDriverTable(std::string_view table, unsigned major, unsigned minor);

} // namespace comsend
