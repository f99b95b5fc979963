// Why a port operation failed, in plain words, as the form code tells the
// user, and what to do about a failed open.
#pragma once

#include "platform/sendaccount.h"

#include <cstdint>
#include <string>

namespace comsend {

// One sentence that says why, for the error value a port call gave.
std::string SysErrorMessage(std::uint32_t Error, PortStage Stage);

// What to do about a failed open of the named port, as lines to go under
// its reason, each after a line break: the ports this computer has, the
// group to join, the program that holds the port. Empty where the system
// shows nothing to add. It reads only what the system shows every program
// (its tables of devices, processes and groups), and waits on no device.
std::string OpeningAdvice(const char *PortName, std::uint32_t Error);

} // namespace comsend
