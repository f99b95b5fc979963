// The serial ports a Linux machine has, as its kernel lists them in sysfs,
// and the USB serial adapters it has that have no port.
#pragma once

#include "machine.h"

#include <string>
#include <string_view>
#include <vector>

namespace comsend {

// Where udev keeps a stable name for each USB serial adapter: a link that
// follows the adapter to whichever node it has.
inline constexpr std::string_view kById = "/dev/serial/by-id/";

// The name in kById that leads to the node, or "" where none does.
std::string StableName(const Machine &machine, const std::string &node);

// Every device in /sys/class/tty with a device behind it (virtual consoles
// and pseudo-terminals have none), and of the legacy UARTs (ttyS*) only
// those whose UART type the kernel found: the others are slots that no chip
// answers. Each by its /dev path, with its USB product string or, failing
// that, its /dev/serial/by-id/ name: "/dev/ttyUSB0 (FT232R USB UART)".
// In name order, ttyS2 before ttyS10.
std::vector<std::string> SerialPorts(const Machine &machine);

// The chips of the USB serial adapters plugged in (CH340/CH341, CP210x,
// FTDI, PL2303) whose interfaces have no tty: something other than the
// serial driver has claimed them.
std::vector<std::string> AdaptersWithoutPort(const Machine &machine);

} // namespace comsend
