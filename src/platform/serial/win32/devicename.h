// The name a typed port name is opened by on Windows. COM1 to COM9 are also
// reserved file names, so they open as typed; COM10 and up exist only in
// the device namespace, and Windows opens them only as \\.\COMn.
#pragma once

#include "serial/comname.h"

#include <string>
#include <string_view>

namespace comsend {

// "COMn" with n >= 10 (any letter case, no leading zero) gets the device
// prefix; every other name, including one already prefixed, is unchanged.
inline std::string DeviceName(std::string_view name)
{
    return ComNumberDigits(name).size() >= 2 ? R"(\\.\)" + std::string(name) : std::string(name);
}

} // namespace comsend
