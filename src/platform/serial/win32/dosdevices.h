// The COM ports Windows has, from its DOS device names (QueryDosDevice),
// which list every port a driver has made, plugged in or built in, without
// a registry read. The call goes through one entry that tests can replace,
// to give a made-up list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace comsend {

using QueryDosDeviceCall = decltype(&::QueryDosDeviceA);

// Puts a call in place (the system's own for null) and returns the one it
// replaces.
QueryDosDeviceCall UseQueryDosDevice(QueryDosDeviceCall call);

// The names "COMn", in the order of their numbers.
std::vector<std::string> ComPorts();

} // namespace comsend
