// Why a port operation failed, in plain words, as the form code tells the
// user.
#pragma once

#include "platform/sendaccount.h"

#include <cstdint>
#include <string>

namespace comsend {

// One sentence that says why, for an error value that GetLastError gave.
std::string SysErrorMessage(std::uint32_t Error, PortStage Stage);

} // namespace comsend
