// The program's write of a text to a port: the shared long write
// (serial/portsend.h), stepped by the toolkit's progress runner, so that the
// window never freezes while a slow or stuck device holds the text up, and
// the user can cancel it.
#pragma once

#include "platform/kernel.h"

namespace comsend {

struct SendOutcome {
    DWORD error;      // 0 once every byte has left the port
    DWORD sent;       // known to have left
    DWORD sentAtMost; // may have left
};

SendOutcome SendWithProgress(HANDLE Port, const char *Bytes, DWORD Count);

} // namespace comsend
