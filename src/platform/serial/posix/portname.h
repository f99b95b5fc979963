// How a port name typed by the user becomes a device path on POSIX.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace comsend {

// "COMn" (n >= 1, any letter case) is /dev/ttyS<n-1>; a name beginning with
// '/' is a device path used as it is; any other non-empty name is /dev/<name>.
// An empty name names nothing. The name is never trimmed or changed.
std::optional<std::string> ResolvePortName(std::string_view name);

} // namespace comsend
