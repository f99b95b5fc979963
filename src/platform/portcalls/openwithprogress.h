// The program's open of a port: the serial layer's own, which can take
// seconds (a Bluetooth port waits for its device, which may be off or out of
// range), run off the window's thread while the window loop waits for it
// under the toolkit's progress box.
#pragma once

#include "platform/kernel.h"

namespace comsend {

// Opens the port as OpenSerialPort does, keeping its error value for
// GetLastError. After a moment a box says "Connecting to <name>..."; it has
// no Cancel, since an open under way cannot be called off: a close request
// ends the program once the open has returned.
HANDLE OpenWithProgress(LPCSTR Name);

} // namespace comsend
