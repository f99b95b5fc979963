// Why a port operation failed, in plain words, as the form code tells the
// user.
#pragma once

#include "platform/kernel.h"

#include <string>

namespace comsend {

// When a port operation failed: while the port was being opened, or once
// it was held. The same error value can mean different things: on Windows
// ERROR_ACCESS_DENIED is another program's port at an open and a removed
// device afterwards.
enum class PortStage { Opening, Held };

// One sentence that says why, for an error value that GetLastError gave.
std::string SysErrorMessage(DWORD Error, PortStage Stage);

} // namespace comsend
