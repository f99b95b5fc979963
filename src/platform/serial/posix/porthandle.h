// A port handle on POSIX is the port's descriptor, accepted only while the
// serial layer holds it open (posix/quickexit.h).
#pragma once

#include "platform/kernel.h"

namespace comsend {

// Ports never use descriptors 0 to 2, so a handle is never zero.
inline constexpr int kFirstPortDescriptor = 3;

// The descriptor of an open port, or -1 for any other value.
int DescriptorOf(HANDLE handle);
HANDLE HandleOf(int descriptor);

} // namespace comsend
