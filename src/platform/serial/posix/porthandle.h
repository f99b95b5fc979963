// A port on POSIX is its descriptor, accepted only while the serial layer
// holds it (posix/quickexit.h).
#pragma once

#include "serial/port.h"

namespace comsend {

// Ports never use descriptors 0 to 2, so a port is never zero.
inline constexpr int kFirstPortDescriptor = 3;

// The descriptor of the held port, or -1 for any other value.
int DescriptorOf(serial::Port port);

} // namespace comsend
