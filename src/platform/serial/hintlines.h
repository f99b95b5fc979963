// The lines of advice both serial layers put under a reason, worded once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace comsend {

// "A, B, C, and 2 more": at most `shown` of the items, in their order.
std::string Listed(const std::vector<std::string> &items, std::size_t shown);

// "Ports on this computer: A, B." with a handful named at most, or "No
// serial port is on this computer."
std::string PortListLine(const std::vector<std::string> &ports);

} // namespace comsend
